#pragma once
// The container's signed distance as the flow sees it: sampled from the
// container grid when the parameters carry one, else the orb sphere.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/InkRecords.h"
#include "util/LaneVec.h"
#include "util/Vec.h"

namespace ink {


// A grid too small to interpolate counts as none.
ORB_HD inline bool hasGrid(const Params& P) { return P.grid && P.gridRes >= 2 && P.gridCell > 0.f; }

// Trilinear sample of the grid at q. Outside the grid the clamped sample
// grows by the distance to the grid, so the field keeps pointing inwards.
// R is float or a pack of floats (one sample per lane).
template <class R>
ORB_HD ORB_ALWAYS_INLINE R sampleGrid(const Params& P, const util::lanes::VecOf<R>& q) {
  namespace lanes = util::lanes;
  using I = lanes::IntOf<R>;
  const int res = P.gridRes;
  const float inv = 1.f / P.gridCell;
  const R g[3] = {(q.x - P.gridOrigin.x) * inv - 0.5f, (q.y - P.gridOrigin.y) * inv - 0.5f,
                  (q.z - P.gridOrigin.z) * inv - 0.5f};
  I base[3];
  R frac[3], outside(0.f);
  for (int a = 0; a < 3; ++a) {
    const R gc = lanes::clamp(g[a], 0.f, static_cast<float>(res - 1));
    outside += lanes::abs(g[a] - gc);
    base[a] = lanes::truncateToInt(gc);
    base[a] = lanes::select(base[a] > I(res - 2), I(res - 2), base[a]);
    frac[a] = gc - lanes::toFloat(base[a]);
  }
  const std::int32_t r = res, r2 = r * r;
  const I c = base[2] * r2 + base[1] * r + base[0];
  R v[8];  // the cell's corners, x fastest
  ORB_UNROLL
  for (int k = 0; k < 8; ++k) v[k] = lanes::gatherAt(P.grid, c + ((k & 1) + (k & 2 ? r : 0) + (k & 4 ? r2 : 0)));
  const R x00 = v[0] + (v[1] - v[0]) * frac[0];
  const R x10 = v[2] + (v[3] - v[2]) * frac[0];
  const R x01 = v[4] + (v[5] - v[4]) * frac[0];
  const R x11 = v[6] + (v[7] - v[6]) * frac[0];
  const R y0 = x00 + (x10 - x00) * frac[1], y1 = x01 + (x11 - x01) * frac[1];
  return y0 + (y1 - y0) * frac[2] + P.gridCell * outside;
}

// Signed distance to the container wall: negative inside.
template <class R>
ORB_HD ORB_ALWAYS_INLINE R containerDistance(const Params& P, const util::lanes::VecOf<R>& p) {
  return hasGrid(P) ? sampleGrid<R>(P, p) : length(p) - P.radius;
}
ORB_HD inline float containerDistance(const Params& P, orb::Vec p) { return containerDistance<float>(P, p); }

// Unit outward direction of the distance field at p.
template <class R>
ORB_HD ORB_ALWAYS_INLINE util::lanes::VecOf<R> sdfGrad(const Params& P, const util::lanes::VecOf<R>& p) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  const Vec up(orb::Vec{0, 0, 1});
  if (!hasGrid(P)) {
    const R len = length(p);
    return lanes::select(len <= 1e-6f, up, p * (1.f / len));
  }
  const float h = 0.75f * P.gridCell;
  const Vec d{sampleGrid<R>(P, p + Vec(orb::Vec{h, 0, 0})) - sampleGrid<R>(P, p - Vec(orb::Vec{h, 0, 0})),
              sampleGrid<R>(P, p + Vec(orb::Vec{0, h, 0})) - sampleGrid<R>(P, p - Vec(orb::Vec{0, h, 0})),
              sampleGrid<R>(P, p + Vec(orb::Vec{0, 0, h})) - sampleGrid<R>(P, p - Vec(orb::Vec{0, 0, h}))};
  return normalizedOr(d, up);
}
ORB_HD inline orb::Vec sdfGrad(const Params& P, orb::Vec p) { return sdfGrad<float>(P, p); }

}  // namespace ink
