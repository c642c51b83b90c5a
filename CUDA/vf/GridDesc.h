#pragma once
// The grid fluid solver's staggered (MAC) grid: its description, the layout
// of its face and cell fields, and the one clamped trilinear read every
// kernel uses. Positions here are in cell units: cell (i, j, k) spans
// [i, i + 1] × [j, j + 1] × [k, k + 1].
#include <cstdint>

#include "gpu/Config.h"
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
// min(base + 1, N - 1).
struct AxisSpan {
  int base, next;
  float t;
};
ORB_HD inline AxisSpan axisSpan(float coordinate, int samples) {
  // Written as comparisons (single instructions, not library calls on the
  // host); a NaN coordinate reads sample 0.
  const float top = static_cast<float>(samples) - 1.001f;
  const float c = coordinate > 0.f ? (coordinate < top ? coordinate : top) : 0.f;
  const int base = static_cast<int>(c);
  return {base, base + 1 < samples ? base + 1 : samples - 1, c - static_cast<float>(base)};
}

template <class T>
ORB_HD inline T lerpOf(T a, T b, float t) {
  return a + (b - a) * t;
}

// The field's trilinear value at `p` (cell units), reads clamped to the field.
template <class T>
ORB_HD inline T readField(const T* f, const FieldShape& s, orb::Vec p) {
  const AxisSpan x = axisSpan(p.x - s.ox, s.sx), y = axisSpan(p.y - s.oy, s.sy), z = axisSpan(p.z - s.oz, s.sz);
  const auto at = [&](int i, int j, int k) { return f[s.index(i, j, k)]; };
  const T c00 = lerpOf(at(x.base, y.base, z.base), at(x.next, y.base, z.base), x.t);
  const T c10 = lerpOf(at(x.base, y.next, z.base), at(x.next, y.next, z.base), x.t);
  const T c01 = lerpOf(at(x.base, y.base, z.next), at(x.next, y.base, z.next), x.t);
  const T c11 = lerpOf(at(x.base, y.next, z.next), at(x.next, y.next, z.next), x.t);
  return lerpOf(lerpOf(c00, c10, y.t), lerpOf(c01, c11, y.t), z.t);
}

// The face fields of one velocity.
struct FaceVelocity {
  const float* u;
  const float* v;
  const float* w;
};

// The velocity at `p` (cell units), each component read from its faces.
ORB_HD inline orb::Vec readVelocity(const FaceVelocity& vel, const GridDesc& g, orb::Vec p) {
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
