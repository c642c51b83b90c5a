#pragma once
// The per-particle draws of the assemble morph. A draw is a pure function of
// the particle's 64-bit assemble index (its source's id base plus its index),
// the draw's number and the seed mix, so the kernel, the viewport's host
// morph, the renderer's source masks and the PRT "Source" channel all agree
// on which target a particle came from. Arithmetic is unsigned 32-bit with
// wrap-around after a 64-bit key.
#include <cstdint>

#include "gpu/Config.h"

namespace ink {

// The draw numbers the morph uses (5 is unused).
enum AssembleDrawNumber : std::uint32_t {
  kAssembleDrawA = 1,  // the point in the target: three coordinates in [-1, 1)
  kAssembleDrawB = 2,
  kAssembleDrawC = 3,
  kAssembleDrawDeparture = 4,  // when the particle leaves, within the spread
  kAssembleDrawWanderX = 6,    // the mid-flight wander per axis
  kAssembleDrawWanderY = 7,
  kAssembleDrawWanderZ = 8,
  kAssembleDrawTarget = 9,  // below 0.5: the second target shape
};

// Draw k of the particle with assemble index g, uniform in [0, 1) with 24 bits.
ORB_HD inline float assembleDraw(std::uint64_t g, std::uint32_t k, std::int32_t seedMix) {
  const std::uint64_t key = g * 7u + k;
  std::uint32_t x = (static_cast<std::uint32_t>(key >> 32) ^ static_cast<std::uint32_t>(key)) * 747796405u -
                    static_cast<std::uint32_t>(seedMix) * 1403630843u;
  x ^= x >> 16;
  x *= 0x7FEB352Du;
  x ^= x >> 15;
  x *= 0x846CA68Bu;
  return static_cast<float>((x & 0xFFFFFFu) ^ (x >> 16)) * (1.f / 16777216.f);
}

}  // namespace ink
