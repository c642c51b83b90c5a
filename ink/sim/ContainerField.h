#pragma once
// The container's signed distance as the flow sees it: sampled from the
// container grid when the parameters carry one, else the orb sphere.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/InkRecords.h"
#include "util/Vec.h"

namespace ink {

ORB_HD inline float clampf(float x, float lo, float hi) { return fminf(fmaxf(x, lo), hi); }

// A grid too small to interpolate counts as none.
ORB_HD inline bool hasGrid(const Params& P) { return P.grid && P.gridRes >= 2 && P.gridCell > 0.f; }

// Trilinear sample of the grid at q. Outside the grid the clamped sample
// grows by the distance to the grid, so the field keeps pointing inwards.
ORB_HD inline float sampleGrid(const Params& P, orb::Vec q) {
  const int res = P.gridRes;
  const float inv = 1.f / P.gridCell;
  const float g[3] = {(q.x - P.gridOrigin.x) * inv - 0.5f, (q.y - P.gridOrigin.y) * inv - 0.5f,
                      (q.z - P.gridOrigin.z) * inv - 0.5f};
  int base[3];
  float frac[3], outside = 0.f;
  for (int a = 0; a < 3; ++a) {
    const float gc = clampf(g[a], 0.f, static_cast<float>(res - 1));
    outside += fabsf(g[a] - gc);
    base[a] = static_cast<int>(gc);
    if (base[a] > res - 2) base[a] = res - 2;
    frac[a] = gc - static_cast<float>(base[a]);
  }
  const std::int64_t r = res, r2 = r * r;
  const float* c = P.grid + base[2] * r2 + base[1] * r + base[0];
  const float x00 = c[0] + (c[1] - c[0]) * frac[0];
  const float x10 = c[r] + (c[r + 1] - c[r]) * frac[0];
  const float x01 = c[r2] + (c[r2 + 1] - c[r2]) * frac[0];
  const float x11 = c[r2 + r] + (c[r2 + r + 1] - c[r2 + r]) * frac[0];
  const float y0 = x00 + (x10 - x00) * frac[1], y1 = x01 + (x11 - x01) * frac[1];
  return y0 + (y1 - y0) * frac[2] + P.gridCell * outside;
}

// Signed distance to the container wall: negative inside.
ORB_HD inline float containerDistance(const Params& P, orb::Vec p) {
  return hasGrid(P) ? sampleGrid(P, p) : length(p) - P.radius;
}

// Unit outward direction of the distance field at p.
ORB_HD inline orb::Vec sdfGrad(const Params& P, orb::Vec p) {
  if (!hasGrid(P)) {
    const float len = length(p);
    return len <= 1e-6f ? orb::Vec{0, 0, 1} : p * (1.f / len);
  }
  const float h = 0.75f * P.gridCell;
  const orb::Vec d{sampleGrid(P, p + orb::Vec{h, 0, 0}) - sampleGrid(P, p - orb::Vec{h, 0, 0}),
                   sampleGrid(P, p + orb::Vec{0, h, 0}) - sampleGrid(P, p - orb::Vec{0, h, 0}),
                   sampleGrid(P, p + orb::Vec{0, 0, h}) - sampleGrid(P, p - orb::Vec{0, 0, h})};
  return normalizedOr(d, {0, 0, 1});
}

}  // namespace ink
