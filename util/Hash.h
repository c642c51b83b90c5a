#pragma once
// Integer hashes. The 64-bit combine builds cache keys and content hashes on
// the host; the 32-bit finaliser is behind every per-particle random draw;
// the lattice hash behind the value noise and the generated vortex axes.
#include <cstdint>

#include "gpu/Config.h"

namespace util {

// One step of a 64-bit running hash: h absorbs `value`.
inline std::uint64_t hashCombine(std::uint64_t h, std::uint64_t value) {
  return h ^ (h * 64 + value + h / 4 + 0x9E3779B97F4A7C15ull);
}

// Avalanches all 32 bits of x into every bit of the result; U is a 32-bit
// unsigned integer or a pack of them (util/Lanes.h).
template <class U>
ORB_HD ORB_ALWAYS_INLINE U mix32Of(U x) {
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  x ^= x >> 16;
  return x;
}
ORB_HD inline std::uint32_t mix32(std::uint32_t x) { return mix32Of(x); }

// The lattice hash of the orb's value noise and the Vortex Force's generated
// axes: a multiply-xorshift step, then a fold to a 24-bit uniform in [0, 1).
ORB_HD inline std::uint32_t latticeMix(std::uint32_t x) { return (x ^ (x >> 13)) * 0x5BD1E995u; }
ORB_HD inline float latticeUnit(std::uint32_t h) {
  return static_cast<float>((h ^ (h >> 15)) & 0xFFFFFFu) * (1.f / 16777216.f);
}

}  // namespace util
