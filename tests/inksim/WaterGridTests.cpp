// The grid fluid solver on the device: the clamped read rule against hand
// values, the projection's residual, closed walls, solid cloth cells, and
// which way dense and light ink move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "CUDA/vf/Confinement.h"
#include "CUDA/vf/VFSmoke.h"
#include "gpu/Device.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/PlumeKernels.h"

namespace {

std::vector<float> fetch(const float* device, std::int64_t count) {
  std::vector<float> host(static_cast<std::size_t>(count));
  EXPECT_EQ(gpu::streamSynchronize(nullptr), gpu::Success);
  EXPECT_EQ(ink::download(host.data(), device, count), gpu::Success);
  return host;
}

vf::GridDesc cube(int n) { return {n, n, n, 2.f, {-static_cast<float>(n), -static_cast<float>(n), -static_cast<float>(n)}}; }

vf::StepSettings settings(float densityWeight, float confinement) {
  vf::StepSettings s{};
  s.densityWeight = densityWeight;
  s.confinement = confinement;
  s.buoyancyScale = 1.f;
  s.pressureIterations = 80;
  s.dt = 1.f / 48.f;
  return s;
}

// A grid with a pushed, dense ball of ink in it after `steps` steps.
struct PouredGrid {
  vf::Grid grid;
  explicit PouredGrid(float densityWeight, int steps = 3, float push = -40.f) {
    EXPECT_TRUE(vf::createGrid(cube(16), grid));
    const vf::StepSettings s = settings(densityWeight, 2.f);
    for (int i = 0; i < steps; ++i) {
      EXPECT_EQ(vf::addSource(grid, {8.f, 8.f, 10.f}, 2.5f, {1.f, 0.f, push}, s.dt), gpu::Success);
      EXPECT_EQ(vf::step(grid, s, {}), gpu::Success);
    }
  }
  ~PouredGrid() { vf::releaseGrid(grid); }
};

float maxAbs(const std::vector<float>& v) {
  float m = 0.f;
  for (float x : v) m = std::max(m, std::fabs(x));
  return m;
}

TEST(WaterGrid, ClampedTrilinearReadsFollowTheFieldsOffsets) {
  // A u field of 3 × 2 × 2 samples holding i + 10 j + 100 k: linear, so the
  // trilinear value is exact inside and clamped beyond the last sample.
  const vf::GridDesc g{2, 2, 2, 1.f, {0, 0, 0}};
  const vf::FieldShape u = vf::uShape(g);
  std::vector<float> f(static_cast<std::size_t>(u.count()));
  for (int k = 0; k < u.sz; ++k)
    for (int j = 0; j < u.sy; ++j)
      for (int i = 0; i < u.sx; ++i) f[u.index(i, j, k)] = i + 10.f * j + 100.f * k;
  // x has no offset on x-faces, y and z are half a cell in.
  EXPECT_NEAR(vf::readField(f.data(), u, orb::Vec{1.25f, 1.0f, 0.75f}), 1.25f + 5.f + 25.f, 1e-4f);
  // Coordinates clamp to [0, N - 1.001]: the far corner reads 0.999 of the way.
  EXPECT_NEAR(vf::readField(f.data(), u, orb::Vec{9.f, 9.f, 9.f}), 1.999f + 10.f * 0.999f + 100.f * 0.999f, 1e-3f);
  EXPECT_EQ(vf::readField(f.data(), u, orb::Vec{-5.f, -5.f, -5.f}), 0.f);
  const vf::AxisSpan s = vf::axisSpan(7.f, 3);
  EXPECT_EQ(s.base, 1);
  EXPECT_EQ(s.next, 2);
  EXPECT_NEAR(s.t, 0.999f, 1e-6f);
}

TEST(WaterGrid, ProjectionLeavesLittleDivergenceAndClosedWalls) {
  PouredGrid poured(4.f);
  vf::Grid& g = poured.grid;
  // The step ends with advected density; the velocity it projected is the
  // current one: its divergence after 80 Jacobi iterations against the
  // divergence the same push makes unprojected.
  ASSERT_EQ(vf::computeDivergence(g, 1.f), gpu::Success);
  const float residual = maxAbs(fetch(g.divergence, vf::cellShape(g.desc).count()));
  ASSERT_EQ(vf::addSource(g, {8.f, 8.f, 10.f}, 2.5f, {0.f, 0.f, -40.f}, 1.f / 48.f), gpu::Success);
  ASSERT_EQ(vf::computeDivergence(g, 1.f), gpu::Success);
  const float pushed = maxAbs(fetch(g.divergence, vf::cellShape(g.desc).count()));
  std::printf("divergence after 80 Jacobi iterations: %.3g (an unprojected push: %.3g)\n", residual, pushed);
  EXPECT_LT(residual, 0.05f * pushed);

  const int n = g.desc.nx;
  const std::vector<float> u = fetch(g.u, vf::uShape(g.desc).count()), v = fetch(g.v, vf::vShape(g.desc).count()),
                           w = fetch(g.w, vf::wShape(g.desc).count());
  float wall = 0.f, inside = 0.f;
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b) {
      for (float x : {u[vf::uShape(g.desc).index(0, a, b)], u[vf::uShape(g.desc).index(n, a, b)],
                      v[vf::vShape(g.desc).index(a, 0, b)], v[vf::vShape(g.desc).index(a, n, b)],
                      w[vf::wShape(g.desc).index(a, b, 0)], w[vf::wShape(g.desc).index(a, b, n)]})
        wall = std::max(wall, std::fabs(x));
    }
  inside = std::max({maxAbs(u), maxAbs(v), maxAbs(w)});
  EXPECT_EQ(wall, 0.f);
  EXPECT_GT(inside, 1.f);
}

TEST(WaterGrid, AdvectionTracesEverySampleBackByTheReadRule) {
  // The launch runs a row's samples in packs on the cpu backend; each must
  // equal the rule applied to that sample alone, bit for bit.
  PouredGrid poured(4.f, 2);
  vf::Grid& g = poured.grid;
  const vf::GridDesc d = g.desc;
  const float dt = 1.f / 48.f;
  const std::vector<float> u = fetch(g.u, vf::uShape(d).count()), v = fetch(g.v, vf::vShape(d).count()),
                           w = fetch(g.w, vf::wShape(d).count());
  ASSERT_EQ(vf::advectVelocity(g, dt), gpu::Success);
  const std::vector<float> advected = fetch(g.u, vf::uShape(d).count());
  const vf::FaceVelocity before{u.data(), v.data(), w.data()};
  const vf::FieldShape s = vf::uShape(d);
  int moved = 0;
  for (int k = 0; k < s.sz; ++k)
    for (int j = 0; j < s.sy; ++j)
      for (int i = 0; i < s.sx; ++i) {
        const orb::Vec at{i + s.ox, j + s.oy, k + s.oz};
        const orb::Vec back = at - vf::readVelocity(before, d, at) * (dt / d.dx);
        const float expected = vf::readField(u.data(), s, back);
        ASSERT_EQ(advected[s.index(i, j, k)], expected) << i << ", " << j << ", " << k;
        moved += expected != u[s.index(i, j, k)];
      }
  EXPECT_GT(moved, 100);
}

TEST(WaterGrid, ConfinementPushesEveryFaceByTheOneFaceRule) {
  // The launch runs a row's faces in packs on the cpu backend; the same
  // body run one face at a time on the host must give the same bits.
  PouredGrid poured(4.f, 3);
  vf::Grid& g = poured.grid;
  const vf::GridDesc d = g.desc;
  const vf::StepSettings s = settings(4.f, 2.f);
  const std::int64_t nu = vf::uShape(d).count(), nv = vf::vShape(d).count(), nw = vf::wShape(d).count(),
                     nc = vf::cellShape(d).count();
  std::vector<float> u = fetch(g.u, nu), v = fetch(g.v, nv), w = fetch(g.w, nw);
  ASSERT_EQ(vf::confineVorticity(g, s), gpu::Success);
  // The curl pass left ω in the pressure pair and the divergence (swapped
  // velocity buffers aside, nothing else ran).
  std::vector<float> ox = fetch(g.pressure, nc), oy = fetch(g.pressureNext, nc), oz = fetch(g.divergence, nc),
                     magnitude = fetch(g.vorticity, nc);
  std::vector<float> un(static_cast<std::size_t>(nu)), vn(static_cast<std::size_t>(nv)), wn(static_cast<std::size_t>(nw));
  const vf::ConfineBody body{{u.data(), v.data(), w.data()}, {ox.data(), oy.data(), oz.data()}, magnitude.data(), d,
                             un.data(), vn.data(), wn.data(), s.confinement, s.dt};
  for (int k = 0; k <= d.nz; ++k)
    for (int j = 0; j <= d.ny; ++j)
      for (int i = 0; i <= d.nx; ++i) body(i, j, k);
  EXPECT_EQ(fetch(g.u, nu), un);
  EXPECT_EQ(fetch(g.v, nv), vn);
  EXPECT_EQ(fetch(g.w, nw), wn);
  EXPECT_NE(un, u);
}

TEST(WaterGrid, DenseInkSinksAndNegativeSinkRises) {
  // No push: buoyancy alone moves the ink.
  for (const float weight : {200.f, -200.f}) {
    PouredGrid poured(weight, 6, 0.f);
    const vf::GridDesc& d = poured.grid.desc;
    const std::vector<float> w = fetch(poured.grid.w, vf::wShape(d).count());
    const float below = w[vf::wShape(d).index(8, 8, 10)];
    SCOPED_TRACE(weight);
    EXPECT_GT(std::fabs(below), 0.1f);
    EXPECT_EQ(below < 0.f, weight > 0.f);
  }
}

TEST(WaterGrid, MarkedClothCellsStopTheWater) {
  PouredGrid poured(4.f, 1);
  vf::Grid& g = poured.grid;
  const vf::GridDesc& d = g.desc;
  // A triangle across the middle plane z = 0 (cell layer k = 8).
  const std::vector<float> tri = {-9.f, -9.f, 0.5f, 9.f, -9.f, 0.5f, -9.f, 9.f, 0.5f};
  float* triangles = nullptr;
  std::uint8_t* mask = nullptr;
  ASSERT_EQ(gpu::mallocArray(&triangles, 9), gpu::Success);
  ASSERT_EQ(gpu::mallocArray(&mask, static_cast<std::size_t>(vf::cellShape(d).count())), gpu::Success);
  ASSERT_EQ(ink::upload(triangles, tri.data(), 9), gpu::Success);
  ASSERT_EQ(gpu::memset(mask, 0, static_cast<std::size_t>(vf::cellShape(d).count())), gpu::Success);
  ASSERT_EQ(ink::plumeMark(g, triangles, 1, mask), gpu::Success);
  const vf::StepSettings s = settings(4.f, 2.f);
  ASSERT_EQ(vf::addSource(g, {8.f, 8.f, 10.f}, 2.5f, {1.f, 0.f, -40.f}, s.dt), gpu::Success);
  ASSERT_EQ(vf::step(g, s, [mask](vf::Grid& grid) { return ink::plumeSolid(grid, mask); }), gpu::Success);

  std::vector<std::uint8_t> marks(static_cast<std::size_t>(vf::cellShape(d).count()));
  ASSERT_EQ(ink::download(marks.data(), mask, vf::cellShape(d).count()), gpu::Success);
  const std::vector<float> w = fetch(g.w, vf::wShape(d).count());
  // The triangle spans x, y in [-9, 9] with x + y <= 0; cell (i, j) is
  // centred at (2i - 15, 2j - 15). Sampled at under half a cell, every cell
  // well inside is marked, and none beyond its bounding box.
  int marked = 0;
  for (int j = 0; j < 16; ++j)
    for (int i = 0; i < 16; ++i) {
      const bool on = marks[vf::cellShape(d).index(i, j, 8)] != 0;
      marked += on;
      const bool wellInside = i >= 4 && j >= 4 && i + j <= 14, beyond = i < 3 || j < 3 || i > 12 || j > 12;
      EXPECT_TRUE(on || !wellInside) << i << ", " << j;
      EXPECT_FALSE(on && beyond) << i << ", " << j;
      if (on) {
        EXPECT_EQ(w[vf::wShape(d).index(i, j, 8)], 0.f);
        EXPECT_EQ(w[vf::wShape(d).index(i, j, 9)], 0.f);
      }
    }
  EXPECT_EQ(std::count(marks.begin(), marks.end(), 1), marked);  // no other layer
  int* count = nullptr;
  ASSERT_EQ(gpu::mallocArray(&count, 1), gpu::Success);
  ASSERT_EQ(gpu::memset(count, 0, sizeof(int)), gpu::Success);
  ASSERT_EQ(ink::plumeCountMarked(g, mask, count), gpu::Success);
  int counted = 0;
  ASSERT_EQ(ink::download(&counted, count, 1), gpu::Success);
  EXPECT_EQ(counted, marked);
  gpu::free(count);
  gpu::free(triangles);
  gpu::free(mask);
}

}  // namespace
