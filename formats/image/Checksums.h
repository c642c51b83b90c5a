#pragma once
// The two checksums of PNG files: CRC-32 over every chunk and Adler-32 over
// the zlib stream's data (the shared util::Adler32). Both are updated piece by
// piece, so streams of any size are checked without holding them.
#include <cstddef>
#include <cstdint>

#include "util/Adler32.h"

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

}  // namespace formats
