#pragma once
// Vorticity confinement: the curl of the cell-centred velocity, and the
// force ε (N × ω) that spins eddies back up, N the normalised gradient of
// the vorticity's magnitude. Each interior face takes the mean of its two
// cells' forces. The face pass is lane-generic: one face, or a run of a
// row's faces per pack on the cpu backend.
#include <cstdint>

#include "CUDA/vf/GridDesc.h"
#include "gpu/GridLaunch.h"
#include "util/LaneVec.h"
#include "util/Lanes.h"

namespace vf {

// The neighbour below and above along one axis, clamped to the grid, and
// their distance in scene units (one-sided at the walls). N is an index or
// a pack of them.
template <class N>
struct AroundOf {
  N lo, hi;
  decltype(util::lanes::toFloat(N())) span;
};
template <class N>
ORB_HD ORB_ALWAYS_INLINE AroundOf<N> around(N i, int n, float dx) {
  namespace lanes = util::lanes;
  const N lo = lanes::select(i > N(0), i - N(1), N(0));
  const N hi = lanes::select(i + N(1) < N(n), i + N(1), N(n - 1));
  return {lo, hi, lanes::toFloat(hi - lo) * dx};
}

// The curl of the cell-centred velocity at cell (i, j, k), by differences
// of the neighbouring cells.
ORB_HD inline orb::Vec cellVorticity(const FaceVelocity& vel, const GridDesc& g, int i, int j, int k) {
  const AroundOf<int> x = around(i, g.nx, g.dx), y = around(j, g.ny, g.dx), z = around(k, g.nz, g.dx);
  const orb::Vec xm = cellVelocity(vel, g, x.lo, j, k), xp = cellVelocity(vel, g, x.hi, j, k);
  const orb::Vec ym = cellVelocity(vel, g, i, y.lo, k), yp = cellVelocity(vel, g, i, y.hi, k);
  const orb::Vec zm = cellVelocity(vel, g, i, j, z.lo), zp = cellVelocity(vel, g, i, j, z.hi);
  return {(yp.z - ym.z) / y.span - (zp.y - zm.y) / z.span, (zp.x - zm.x) / z.span - (xp.z - xm.z) / x.span,
          (xp.y - xm.y) / x.span - (yp.x - ym.x) / y.span};
}

// The vorticity's components at the cells.
struct VorticityField {
  float* x;
  float* y;
  float* z;
};

// ε (N × ω) at cell (i, j, k), i an index or a pack of them; N's length is
// floored at 1e-12.
template <class N>
ORB_HD ORB_ALWAYS_INLINE auto confinementForce(const VorticityField& omega, const float* magnitude,
                                               const GridDesc& g, float epsilon, N i, int j, int k) {
  namespace lanes = util::lanes;
  using R = decltype(lanes::toFloat(i));
  using V = lanes::VecOf<R>;
  const FieldShape c = cellShape(g);
  const N row(c.sx), layer(c.sx * c.sy), jRow = N(j) * row, kLayer = N(k) * layer;
  const AroundOf<N> x = around(i, g.nx, g.dx), y = around(N(j), g.ny, g.dx), z = around(N(k), g.nz, g.dx);
  const V gradient{(sampleAt(magnitude, x.hi + jRow + kLayer) - sampleAt(magnitude, x.lo + jRow + kLayer)) / x.span,
                   (sampleAt(magnitude, i + y.hi * row + kLayer) - sampleAt(magnitude, i + y.lo * row + kLayer)) / y.span,
                   (sampleAt(magnitude, i + jRow + z.hi * layer) - sampleAt(magnitude, i + jRow + z.lo * layer)) / z.span};
  const R len = lanes::max(length(gradient), R(1e-12f));
  const V n{gradient.x / len, gradient.y / len, gradient.z / len};
  const N at = i + jRow + kLayer;
  return cross(n, V{sampleAt(omega.x, at), sampleAt(omega.y, at), sampleAt(omega.z, at)}) * R(epsilon);
}

// One launch over every face of the three face fields (extent nx + 1,
// ny + 1, nz + 1): next = current + dt × the mean force of the face's two
// cells; the walls' faces are copied (the walls zero them).
struct ConfineBody {
  FaceVelocity vel;
  VorticityField omega;
  const float* magnitude;
  GridDesc g;
  float* uNext;
  float* vNext;
  float* wNext;
  float epsilon;
  float dt;

  template <class N>
  ORB_HD ORB_ALWAYS_INLINE auto force(N i, int j, int k) const {
    return confinementForce(omega, magnitude, g, epsilon, i, j, k);
  }

  template <class I>
  ORB_HD ORB_ALWAYS_INLINE void operator()(I items, int j, int k) const {
    namespace lanes = util::lanes;
    using R = gpu::LaneNumber<I>;
    using N = lanes::IntOf<R>;
    if (j < g.ny && k < g.nz) {  // x-faces i = 0 … nx
      const N i = gpu::cellIndex(items);
      const N below = lanes::select(i > N(0), i - N(1), N(0)), above = lanes::select(i < N(g.nx), i, N(g.nx - 1));
      const R mean = 0.5f * (force(below, j, k).x + force(above, j, k).x);
      const R push = lanes::select(i > N(0), lanes::select(i < N(g.nx), mean, R(0.f)), R(0.f));
      const std::int64_t row = uShape(g).index(0, j, k);
      gpu::put(uNext + row, items, sampleAt(vel.u + row, i) + dt * push);
    }
    I inside = items;  // the y- and z-faces lie over cells i < nx
    if (!gpu::limitItems(inside, g.nx)) return;
    const N i = gpu::cellIndex(inside);
    if (k < g.nz) {  // y-faces j = 0 … ny
      const R push = j > 0 && j < g.ny ? 0.5f * (force(i, j - 1, k).y + force(i, j, k).y) : R(0.f);
      const std::int64_t row = vShape(g).index(0, j, k);
      gpu::put(vNext + row, inside, sampleAt(vel.v + row, i) + dt * push);
    }
    if (j < g.ny) {  // z-faces k = 0 … nz
      const R push = k > 0 && k < g.nz ? 0.5f * (force(i, j, k - 1).z + force(i, j, k).z) : R(0.f);
      const std::int64_t row = wShape(g).index(0, j, k);
      gpu::put(wNext + row, inside, sampleAt(vel.w + row, i) + dt * push);
    }
  }
};

}  // namespace vf
