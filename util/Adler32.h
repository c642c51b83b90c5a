// Running Adler-32 checksum (RFC 1950) over a byte stream fed in pieces.
#pragma once

#include <cstddef>
#include <cstdint>

namespace util {

class Adler32 {
 public:
  void update(const void* data, std::size_t size);
  // s2 in the high half, s1 in the low half; zlib stores it big-endian.
  std::uint32_t value() const { return (s2_ << 16) | s1_; }

 private:
  std::uint32_t s1_ = 1;
  std::uint32_t s2_ = 0;
};

}  // namespace util
