#pragma once
// The two checksums of PNG files: CRC-32 over every chunk and Adler-32 over
// the zlib stream's data. Both are updated piece by piece, so streams of any
// size are checked without holding them.
#include <cstddef>
#include <cstdint>

namespace formats {

// CRC-32 with the reflected polynomial 0xEDB88320, initial value all ones and
// a final complement (the PNG and zlib checksum).
class Crc32 {
 public:
  void update(const std::uint8_t* bytes, std::size_t count);
  std::uint32_t value() const { return ~state_; }

 private:
  std::uint32_t state_ = 0xFFFFFFFFu;
};

// Adler-32: two sums modulo 65521 starting at 1 and 0.
class Adler32 {
 public:
  void update(const std::uint8_t* bytes, std::size_t count);
  std::uint32_t value() const { return (b_ << 16) | a_; }

 private:
  std::uint32_t a_ = 1;
  std::uint32_t b_ = 0;
};

}  // namespace formats
