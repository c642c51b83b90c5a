#pragma once
// The 32-bit integer hashes behind every per-particle random draw: a draw is
// a pure function of the seed, the particle index and a fixed salt, so any
// batch of particles can be seeded anywhere without stored random state.
#include <cstdint>

#include "gpu/Config.h"
#include "gpu/LaneLaunch.h"
#include "util/Hash.h"
#include "util/Lanes.h"

namespace ink {

constexpr std::uint32_t kGolden = 0x9E3779B1u;
constexpr std::uint32_t kSeedMultiplier = 0x85EBCA77u;
constexpr std::uint32_t kSheetBaseOffset = 0x85EBCA77u;
constexpr std::uint32_t kBlobBaseOffset = 0x9D9AF453u;
constexpr std::uint32_t kRetryMultiplier = 0x9E3779B9u;

using util::mix32;

// Folds a 64-bit global particle index into 32 bits: the high word times
// the golden ratio XOR the low word, so indices below 2^32 keep their own value.
ORB_HD inline std::uint32_t indexHash(std::int64_t g) {
  const auto u = static_cast<std::uint64_t>(g);
  return static_cast<std::uint32_t>(u >> 32) * kGolden ^ static_cast<std::uint32_t>(u);
}

#if !defined(__CUDACC__)
// The index hash of each lane of a pack of items first + i.
ORB_ALWAYS_INLINE util::lanes::Uints indexHash(std::int64_t first, gpu::LaneItems i) {
  return util::lanes::gatherUints([&](int l) { return indexHash(first + gpu::laneItem(i, l)); });
}
#endif
ORB_HD inline std::uint32_t indexHash(std::int64_t first, std::int64_t i) { return indexHash(first + i); }

// A uniform value in [0, 1) with 24 bits; the key is one hash or a pack.
template <class U>
ORB_HD ORB_ALWAYS_INLINE auto draw(std::uint32_t base, std::uint32_t salt, U key) {
  const U r = util::mix32Of(U(mix32(base ^ salt)) ^ key);
  return util::lanes::toFloat(r & 0xFFFFFFu) * (1.f / 16777216.f);
}

// The draws of one seeding attempt: the seed base of the particle's
// population and the key of the particle (or of its sheet or blob), one
// key or a pack of them.
template <class U = std::uint32_t>
struct DrawSetOf {
  std::uint32_t base;
  U key;
  ORB_HD ORB_ALWAYS_INLINE auto operator()(std::uint32_t salt) const { return draw(base, salt, key); }
};
using DrawSet = DrawSetOf<>;

}  // namespace ink
