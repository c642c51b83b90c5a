#include "orb/VeilRest.h"

#include <algorithm>
#include <cmath>

#include "orb/Noise.h"
#include "util/Math.h"

namespace orb {

namespace {
using util::kDegToRad;
using util::kPi;

// Right-handed rotations of a column vector: x first, then y, then z.
Vec rotateXYZ(Vec p, float ax, float ay, float az) {
  const float cx = cosf(ax), sx = sinf(ax), cy = cosf(ay), sy = sinf(ay), cz = cosf(az), sz = sinf(az);
  p = {p.x, cx * p.y - sx * p.z, sx * p.y + cx * p.z};
  p = {cy * p.x + sy * p.z, p.y, -sy * p.x + cy * p.z};
  return {cz * p.x - sz * p.y, sz * p.x + cz * p.y, p.z};
}
}  // namespace

Vec restPosition(const Params& p, int k, float a, float v) {
  const float e = veilPhase(p.seed, k);
  const float taper = powf(std::max(0.f, sinf(kPi * a)), 0.55f);
  const float span = p.veilSpan * kDegToRad;
  const float theta = span * a - span / 2.f;
  const float f = sinf(5.f * theta - 1.3f * e);
  const float g = sinf(2.f * theta + e);
  const float phi = 1.35f * tanhf((0.05f * f + 0.14f * g + (1.f - 0.12f * k) * p.veilLatitude * kPi / 2.f +
                                   0.95f * p.veilWidth * (0.7f * taper + 0.3f) * v) /
                                  1.35f);
  const float n = fbm3({0.9f * p.pleatCount * a + e, 1.6f * v, 0.37f * e}, 3);
  const float w = sinf(std::max(0.5f, 0.35f * p.pleatCount) * v * kPi / 2.f + 0.9f * sinf(1.3f * theta + e));
  const float rho =
      std::min(1.f - p.clearance - 0.01f, std::max(0.3f, ((0.35f * w + 1.4f * n) * p.pleatDepth + 1.f) * p.veilRadius));
  const Vec local{rho * cosf(phi) * cosf(theta), rho * cosf(phi) * sinf(theta), rho * sinf(phi)};
  Vec r = rotateXYZ(local, (p.veilTiltX + 9.f * k) * kDegToRad, (p.veilTiltY - 13.f * k) * kDegToRad,
                    (p.veilTiltZ + 37.f * k) * kDegToRad);
  const float limit = 1.f - p.clearance;
  const float len = length(r);
  if (len > limit) r = r * (limit / len);
  return r * kSimRadius;
}

std::vector<Vec> restShape(const Params& p, const ClothGrid& grid) {
  std::vector<Vec> rest(static_cast<std::size_t>(grid.particles()));
  for (int k = 0; k < grid.veils; ++k)
    for (int r = 0; r <= grid.along; ++r)
      for (int c = 0; c <= grid.across; ++c)
        rest[grid.index(k, r, c)] = restPosition(p, k, static_cast<float>(r) / grid.along,
                                                 2.f * static_cast<float>(c) / grid.across - 1.f);
  return rest;
}

}  // namespace orb
