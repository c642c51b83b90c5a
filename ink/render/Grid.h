#pragma once
// The density grid and the optical-depth grids: per-particle deposits,
// trilinear reads and the per-cell march towards a light or the eye.
#include <cmath>
#include <cstdint>
#include <type_traits>

#include "gpu/Accumulate.h"
#include "gpu/Config.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderRecords.h"
#include "util/Vec.h"

namespace ink {

// The linear index of the cell holding p, trunc((p + halfExtent) / cellSize)
// per axis; false when any axis falls outside 0 … n − 1 (or p is NaN).
ORB_HD inline bool cellIndex(const GridInfo& grid, orb::Vec p, std::int64_t& index) {
  const float n = static_cast<float>(grid.n);
  const float gx = (p.x + grid.halfExtent) / grid.cellSize;
  const float gy = (p.y + grid.halfExtent) / grid.cellSize;
  const float gz = (p.z + grid.halfExtent) / grid.cellSize;
  // trunc maps (−1, n) onto 0 … n − 1.
  if (!(gx > -1.f && gx < n && gy > -1.f && gy < n && gz > -1.f && gz < n)) return false;
  const std::int64_t N = grid.n;
  index = (static_cast<std::int64_t>(gz) * N + static_cast<std::int64_t>(gy)) * N + static_cast<std::int64_t>(gx);
  return true;
}

// The eight cells around p for trilinear reads and deposits: base cell and
// fractions, g = (p + halfExtent) / cellSize − 0.5 per axis.
struct TrilinearCorners {
  int x, y, z;     // base cell; may lie outside the grid
  float fx, fy, fz;
};

ORB_HD ORB_ALWAYS_INLINE TrilinearCorners trilinearCorners(const GridInfo& grid, orb::Vec p) {
  const float gx = (p.x + grid.halfExtent) / grid.cellSize - 0.5f;
  const float gy = (p.y + grid.halfExtent) / grid.cellSize - 0.5f;
  const float gz = (p.z + grid.halfExtent) / grid.cellSize - 0.5f;
  const float bx = floorf(gx), by = floorf(gy), bz = floorf(gz);
  // Bases beyond one cell outside have no corner inside: clamp them there.
  return {clampToInt(bx, -2, grid.n), clampToInt(by, -2, grid.n), clampToInt(bz, -2, grid.n),
          gx - bx, gy - by, gz - bz};
}

// Calls visit(cell index, weight) for every corner inside the grid.
template <class Visit>
ORB_HD inline void forEachCorner(const GridInfo& grid, const TrilinearCorners& c, Visit visit) {
  const std::int64_t N = grid.n;
  for (int dz = 0; dz < 2; ++dz) {
    const int k = c.z + dz;
    if (k < 0 || k >= grid.n) continue;
    const float wz = dz ? c.fz : 1.f - c.fz;
    for (int dy = 0; dy < 2; ++dy) {
      const int j = c.y + dy;
      if (j < 0 || j >= grid.n) continue;
      const float wy = wz * (dy ? c.fy : 1.f - c.fy);
      for (int dx = 0; dx < 2; ++dx) {
        const int i = c.x + dx;
        if (i < 0 || i >= grid.n) continue;
        visit((k * N + j) * N + i, wy * (dx ? c.fx : 1.f - c.fx));
      }
    }
  }
}

// The grid's trilinear value at p; corners outside the grid count 0.
ORB_HD ORB_ALWAYS_INLINE float sampleTrilinear(const GridInfo& grid, const float* values, orb::Vec p) {
  const TrilinearCorners c = trilinearCorners(grid, p);
  const int last = grid.n - 1;
  if (c.x >= 0 && c.y >= 0 && c.z >= 0 && c.x < last && c.y < last && c.z < last) {
    // All eight corners inside, the common case: the same sum in the same
    // order as below, without the per-corner tests.
    const std::int64_t N = grid.n;
    const float* v = values + (c.z * N + c.y) * N + c.x;
    const float wx[2] = {1.f - c.fx, c.fx}, wy[2] = {1.f - c.fy, c.fy}, wz[2] = {1.f - c.fz, c.fz};
    float sum = 0.f;
    for (int dz = 0; dz < 2; ++dz)
      for (int dy = 0; dy < 2; ++dy) {
        const float w = wz[dz] * wy[dy];
        const float* row = v + (dz * N + dy) * N;
        sum += w * wx[0] * row[0];
        sum += w * wx[1] * row[1];
      }
    return sum;
  }
  float sum = 0.f;
  forEachCorner(grid, c, [&](std::int64_t cell, float w) { sum += w * values[cell]; });
  return sum;
}

#if !defined(__CUDACC__)
// sampleTrilinear of a pack of points: each lane the same products and sums
// in the same order as one point, a corner outside the grid adding +0 where
// the one-point read skips it (the sum is never -0, so the two agree, also
// where a non-finite point makes the weights NaN).
// (A template, so that a braced point still means the one-point read.)
template <class V>
  requires std::is_same_v<V, util::lanes::FloatsVec>
ORB_ALWAYS_INLINE util::lanes::Floats sampleTrilinear(const GridInfo& grid, const float* values, const V& p) {
  using namespace util::lanes;
  const Floats gx = (p.x + grid.halfExtent) / grid.cellSize - 0.5f;
  const Floats gy = (p.y + grid.halfExtent) / grid.cellSize - 0.5f;
  const Floats gz = (p.z + grid.halfExtent) / grid.cellSize - 0.5f;
  const Floats bx = floor(gx), by = floor(gy), bz = floor(gz);
  const Ints x = clampToInt(bx, -2, grid.n), y = clampToInt(by, -2, grid.n), z = clampToInt(bz, -2, grid.n);
  const Floats fx = gx - bx, fy = gy - by, fz = gz - bz;
  const Ints last(grid.n - 1);
  const Mask inside = (x >= Ints(0)) & (y >= Ints(0)) & (z >= Ints(0)) & (x < last) & (y < last) & (z < last);
  const std::int64_t N = grid.n;
  // The corners in the sum's order (dz, dy, dx) and which are on the grid.
  raw::Floats corner[8];
  raw::Ints on[8];
  if (!any(!inside) && N * N * N <= INT32_MAX) {  // whole-pack gathers at 32-bit indices
    const Ints base = (z * Ints(grid.n) + y) * Ints(grid.n) + x;
    for (int k = 0; k < 8; ++k) {
      corner[k] = gatherAt(values + ((k >> 2) * N + ((k >> 1) & 1)) * N + (k & 1), base).v;
      on[k] = inside.v;
    }
  } else {
    for (int l = 0; l < kLanes; ++l)
      for (int k = 0; k < 8; ++k) {
        const int i = x.v[l] + (k & 1), j = y.v[l] + ((k >> 1) & 1), m = z.v[l] + (k >> 2);
        const bool in = i >= 0 && j >= 0 && m >= 0 && i < grid.n && j < grid.n && m < grid.n;
        corner[k][l] = in ? values[(static_cast<std::int64_t>(m) * N + j) * N + i] : 0.f;
        on[k][l] = -static_cast<std::int32_t>(in);
      }
  }
  const Floats wx[2] = {1.f - fx, fx}, wy[2] = {1.f - fy, fy}, wz[2] = {1.f - fz, fz};
  Floats sum = 0.f;
  for (int dz = 0; dz < 2; ++dz)
    for (int dy = 0; dy < 2; ++dy) {
      const Floats w = wz[dz] * wy[dy];
      const int k = 4 * dz + 2 * dy;
      sum += select(Mask(on[k]), w * wx[0] * Floats(corner[k]), Floats(0.f));
      sum += select(Mask(on[k + 1]), w * wx[1] * Floats(corner[k + 1]), Floats(0.f));
    }
  return sum;
}
#endif

// splatGrid: the particle's scaled weight into its own cell.
ORB_HD inline void splatGridParticle(const GridInfo& grid, orb::Vec p, float amount, const gpu::Accumulator& out) {
  std::int64_t cell;
  if (cellIndex(grid, p, cell)) out.add(0, cell, amount);
}

// splatTrilinear: the particle's scaled weight shared by the eight cells around it.
ORB_HD inline void splatTrilinearParticle(const GridInfo& grid, orb::Vec p, float amount, const gpu::Accumulator& out) {
  forEachCorner(grid, trilinearCorners(grid, p), [&](std::int64_t cell, float w) { out.add(0, cell, amount * w); });
}

enum DepthMode : std::int32_t { kTowardsDirection = 0, kTowardsPoint = 1 };

// The optical depth from the centre of `cell` towards a directional light
// (mode 0: along `direction`) or a point (mode 1: towards `position`): half
// the own cell, then one cell per step until the grid's box, the point or
// 4n steps are reached.
ORB_HD inline float opticalDepth(const GridInfo& grid, const float* density, std::int64_t cell, orb::Vec direction,
                                 orb::Vec position, std::int32_t mode) {
  const std::int64_t N = grid.n;
  const float cs = grid.cellSize, h = grid.halfExtent;
  const orb::Vec c{(static_cast<float>(cell % N) + 0.5f) * cs - h, (static_cast<float>((cell / N) % N) + 0.5f) * cs - h,
                   (static_cast<float>(cell / (N * N)) + 0.5f) * cs - h};
  float distance = 1e30f;
  orb::Vec dir = direction;
  if (mode == kTowardsPoint) {
    const orb::Vec v = position - c;
    distance = length(v);
    dir = v * (1.f / fmaxf(distance, 1e-6f));
  }
  float tau = 0.5f * cs * density[cell];
  const orb::Vec step = dir * cs;
  orb::Vec p = c;
  float travelled = cs;
  const std::int64_t maxSteps = 4 * N;
  for (std::int64_t k = 0; k < maxSteps && travelled < distance; ++k) {
    p += step;
    if (fabsf(p.x) > h || fabsf(p.y) > h || fabsf(p.z) > h) break;
    std::int64_t at;
    if (cellIndex(grid, p, at)) tau += cs * density[at];
    travelled += cs;
  }
  return tau;
}

}  // namespace ink
