#pragma once
// The grid fluid solver's staggered (MAC) grid: its description, the layout
// of its face and cell fields, and the one clamped trilinear read every
// kernel uses. Positions here are in cell units: cell (i, j, k) spans
// [i, i + 1] × [j, j + 1] × [k, k + 1].
#include <cstdint>

#include "gpu/Config.h"
#include "util/LaneVec.h"
#include "util/Lanes.h"
#include "util/Vec.h"

namespace vf {

// By value to every grid kernel. Field order is fixed.
struct GridDesc {
  std::int32_t nx, ny, nz;
  float dx;        // cell size
  orb::Vec origin;  // the corner of cell 0
};
static_assert(sizeof(GridDesc) == 28);

// One field's samples: counts along x, y, z (x fastest, then y, then z) and
// where sample 0 sits in cell units.
struct FieldShape {
  int sx, sy, sz;
  float ox, oy, oz;

  ORB_HD std::int64_t index(int i, int j, int k) const {
    return static_cast<std::int64_t>(i) + static_cast<std::int64_t>(sx) * (j + static_cast<std::int64_t>(sy) * k);
  }
  ORB_HD std::int64_t count() const { return static_cast<std::int64_t>(sx) * sy * sz; }
};

// u lies on the x-faces, v on the y-faces, w on the z-faces; density,
// temperature, pressure, divergence and vorticity at the cell centres.
ORB_HD inline FieldShape uShape(const GridDesc& g) { return {g.nx + 1, g.ny, g.nz, 0.f, 0.5f, 0.5f}; }
ORB_HD inline FieldShape vShape(const GridDesc& g) { return {g.nx, g.ny + 1, g.nz, 0.5f, 0.f, 0.5f}; }
ORB_HD inline FieldShape wShape(const GridDesc& g) { return {g.nx, g.ny, g.nz + 1, 0.5f, 0.5f, 0.f}; }
ORB_HD inline FieldShape cellShape(const GridDesc& g) { return {g.nx, g.ny, g.nz, 0.5f, 0.5f, 0.5f}; }

// The sample pair along one axis and the weight of the second: the index
// coordinate clamped to [0, N - 1.001], its truncation, and the neighbour
// min(base + 1, N - 1). R is float for one point, a pack of floats for one
// point per lane.
template <class R>
struct AxisSpanOf {
  util::lanes::IntOf<R> base, next;
  R t;
};
using AxisSpan = AxisSpanOf<float>;

template <class R>
ORB_HD ORB_ALWAYS_INLINE AxisSpanOf<R> axisSpan(R coordinate, int samples) {
  namespace lanes = util::lanes;
  using I = lanes::IntOf<R>;
  // Written as comparisons (single instructions, not library calls on the
  // host); a NaN coordinate reads sample 0.
  const R top(static_cast<float>(samples) - 1.001f);
  const R c = lanes::select(coordinate > R(0.f), lanes::select(coordinate < top, coordinate, top), R(0.f));
  const I base = lanes::truncateToInt(c);
  return {base, lanes::select(base < I(samples - 1), base + I(1), I(samples - 1)), c - lanes::toFloat(base)};
}

template <class T, class W>
ORB_HD ORB_ALWAYS_INLINE T lerpOf(T a, T b, W t) {
  return a + (b - a) * t;
}

// One sample of a field: a float or a vector at one index, or the floats
// at a pack of indices.
ORB_HD ORB_ALWAYS_INLINE float sampleAt(const float* f, std::int32_t i) { return f[i]; }
ORB_HD ORB_ALWAYS_INLINE orb::Vec sampleAt(const orb::Vec* f, std::int32_t i) { return f[i]; }
#if !defined(__CUDACC__)
ORB_ALWAYS_INLINE util::lanes::Floats sampleAt(const float* f, util::lanes::Ints i) { return util::lanes::gatherAt(f, i); }
#endif

// The field's trilinear value at `p` (cell units; a point, or a point per
// lane), reads clamped to the field. Indices are 32-bit: a field holds at
// most 161 × 160 × 160 samples.
template <class T, class V>
ORB_HD ORB_ALWAYS_INLINE auto readField(const T* f, const FieldShape& s, const V& p) {
  using R = decltype(p.x);
  using I = util::lanes::IntOf<R>;
  const AxisSpanOf<R> x = axisSpan(p.x - s.ox, s.sx), y = axisSpan(p.y - s.oy, s.sy), z = axisSpan(p.z - s.oz, s.sz);
  const I row(s.sx), layer(s.sx * s.sy);
  const I y0 = y.base * row, y1 = y.next * row, z0 = z.base * layer, z1 = z.next * layer;
  const auto c00 = lerpOf(sampleAt(f, x.base + y0 + z0), sampleAt(f, x.next + y0 + z0), x.t);
  const auto c10 = lerpOf(sampleAt(f, x.base + y1 + z0), sampleAt(f, x.next + y1 + z0), x.t);
  const auto c01 = lerpOf(sampleAt(f, x.base + y0 + z1), sampleAt(f, x.next + y0 + z1), x.t);
  const auto c11 = lerpOf(sampleAt(f, x.base + y1 + z1), sampleAt(f, x.next + y1 + z1), x.t);
  return lerpOf(lerpOf(c00, c10, y.t), lerpOf(c01, c11, y.t), z.t);
}

// The face fields of one velocity.
struct FaceVelocity {
  const float* u;
  const float* v;
  const float* w;
};

// The velocity at `p` (cell units), each component read from its faces.
template <class V>
ORB_HD ORB_ALWAYS_INLINE V readVelocity(const FaceVelocity& vel, const GridDesc& g, const V& p) {
  return {readField(vel.u, uShape(g), p), readField(vel.v, vShape(g), p), readField(vel.w, wShape(g), p)};
}

// Cell (i, j, k)'s velocity: the average of its two faces along each axis.
ORB_HD inline orb::Vec cellVelocity(const FaceVelocity& vel, const GridDesc& g, int i, int j, int k) {
  const FieldShape us = uShape(g), vs = vShape(g), ws = wShape(g);
  return {0.5f * (vel.u[us.index(i, j, k)] + vel.u[us.index(i + 1, j, k)]),
          0.5f * (vel.v[vs.index(i, j, k)] + vel.v[vs.index(i, j + 1, k)]),
          0.5f * (vel.w[ws.index(i, j, k)] + vel.w[ws.index(i, j, k + 1)])};
}

// A world position in cell units.
ORB_HD inline orb::Vec cellUnits(const GridDesc& g, orb::Vec p) {
  return {(p.x - g.origin.x) / g.dx, (p.y - g.origin.y) / g.dx, (p.z - g.origin.z) / g.dx};
}

}  // namespace vf
