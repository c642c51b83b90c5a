#pragma once
// Integer hashes. The 64-bit combine builds cache keys and content hashes on
// the host; the 32-bit finaliser is behind every per-particle random draw.
#include <cstdint>

#include "gpu/Config.h"

namespace util {

// One step of a 64-bit running hash: h absorbs `value`.
inline std::uint64_t hashCombine(std::uint64_t h, std::uint64_t value) {
  return h ^ (h * 64 + value + h / 4 + 0x9E3779B97F4A7C15ull);
}

// Avalanches all 32 bits of x into every bit of the result.
ORB_HD inline std::uint32_t mix32(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}

}  // namespace util
