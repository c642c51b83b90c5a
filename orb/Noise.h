#pragma once
// Lattice value noise and its fractal sum, shared by the veil rest shape,
// the wrinkles and the cloth kernels.
#include <cstdint>

#include "gpu/Config.h"
#include "util/Hash.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace orb {

using util::lerp;
using util::smoothStep;

// The lattice value at integer point (x, y, z), in [0, 1).
ORB_HD inline float latticeValue(std::int32_t x, std::int32_t y, std::int32_t z) {
  const std::uint32_t hx = static_cast<std::uint32_t>(x) * 0x8DA6B343u;
  const std::uint32_t hy = static_cast<std::uint32_t>(y) * 0xD8163841u;
  const std::uint32_t hz = static_cast<std::uint32_t>(z) * 0xCB1AB31Fu;
  return util::latticeUnit(util::latticeMix(hx ^ hy ^ hz));
}

// Trilinear value noise in [-1, 1).
ORB_HD inline float valueNoise3(Vec p) {
  const float fx0 = floorf(p.x), fy0 = floorf(p.y), fz0 = floorf(p.z);
  const auto ix = static_cast<std::int32_t>(fx0), iy = static_cast<std::int32_t>(fy0),
             iz = static_cast<std::int32_t>(fz0);
  const float sx = smoothStep(p.x - fx0), sy = smoothStep(p.y - fy0), sz = smoothStep(p.z - fz0);
  const float x00 = lerp(latticeValue(ix, iy, iz), latticeValue(ix + 1, iy, iz), sx);
  const float x10 = lerp(latticeValue(ix, iy + 1, iz), latticeValue(ix + 1, iy + 1, iz), sx);
  const float x01 = lerp(latticeValue(ix, iy, iz + 1), latticeValue(ix + 1, iy, iz + 1), sx);
  const float x11 = lerp(latticeValue(ix, iy + 1, iz + 1), latticeValue(ix + 1, iy + 1, iz + 1), sx);
  const float v = lerp(lerp(x00, x10, sy), lerp(x01, x11, sy), sz);
  return 2.f * v - 1.f;
}

// Octaves of value noise with halving amplitudes, normalised by their sum.
ORB_HD inline float fbm3(Vec p, int octaves) {
  float sum = 0.f, amplitude = 0.5f, total = 0.f;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * valueNoise3(p);
    total += amplitude;
    amplitude *= 0.5f;
    p = {2.03f * p.x + 17.1f, 2.03f * p.y + 31.7f, 2.03f * p.z + 5.3f};
  }
  return sum / (total != 0.f ? total : 1.f);
}

}  // namespace orb
