#pragma once
// The renderer's per-item random draws. All arithmetic is unsigned 32-bit
// with wrap-around, so every backend draws the same numbers.
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/AssembleDraw.h"

namespace ink {

// Point-size jitter of a particle from its index within the chunk, in [0, 1].
ORB_HD inline float jitterHash(std::uint32_t i) {
  std::uint32_t h = i * 0x9E3779B1u;
  h ^= h >> 15;
  h *= 0x85EBCA77u;
  h ^= h >> 13;
  return static_cast<float>(h & 0xFFFFu) / 65535.f;
}

// Which assemble source a particle belongs to, from its 64-bit id and the
// seed mix; in [0, 1). It is the morph's own target draw, so the masks and
// the particles' paths cannot disagree.
ORB_HD inline float sourceHash(std::uint64_t id, std::int32_t seedMix) {
  return assembleDraw(id, kAssembleDrawTarget, seedMix);
}

struct PhotonDraw {
  float a, b;  // in [0, 1)
};

// The two draws of caustic photon i: the angle and radius of its soft-light offset.
ORB_HD inline PhotonDraw photonHash(std::uint32_t i) {
  std::uint32_t h = (i * 0x9E3779B1u) ^ 0x9E3779B9u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return {static_cast<float>(h & 0xFFFFu) / 65536.f, static_cast<float>(h >> 16) / 65536.f};
}

}  // namespace ink
