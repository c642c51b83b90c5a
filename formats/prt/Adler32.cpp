#include "formats/prt/Adler32.h"

#include <algorithm>

namespace prt {

namespace {
constexpr std::uint32_t kModulus = 65521;
// The most bytes whose sums cannot overflow 32 bits before the modulo.
constexpr std::size_t kMaxRun = 5552;
}  // namespace

void Adler32::update(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t s1 = s1_, s2 = s2_;
  while (size > 0) {
    std::size_t run = std::min(size, kMaxRun);
    size -= run;
    for (; run >= 8; run -= 8, p += 8) {
      s1 += p[0]; s2 += s1;
      s1 += p[1]; s2 += s1;
      s1 += p[2]; s2 += s1;
      s1 += p[3]; s2 += s1;
      s1 += p[4]; s2 += s1;
      s1 += p[5]; s2 += s1;
      s1 += p[6]; s2 += s1;
      s1 += p[7]; s2 += s1;
    }
    for (; run > 0; --run) {
      s1 += *p++;
      s2 += s1;
    }
    s1 %= kModulus;
    s2 %= kModulus;
  }
  s1_ = s1;
  s2_ = s2;
}

}  // namespace prt
