// The container distance grid: analytic distances of a cube and a sphere
// mesh, the grid layout, sampling outside the grid and its failure texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "InkSimFixtures.h"
#include "gpu/Device.h"
#include "ink/sim/ContainerSdf.h"
#include "ink/sim/ContainerField.h"

namespace {

struct ContainerTest : ::testing::Test {
  void TearDown() override { gpu::faults::reset(); }

  ink::ContainerSdf sdf;
  std::vector<float> grid() const {
    std::vector<float> host(static_cast<std::size_t>(sdf.res()) * sdf.res() * sdf.res());
    EXPECT_EQ(gpu::memcpy(host.data(), sdf.grid(), host.size() * sizeof(float), gpu::CopyKind::DeviceToHost),
              gpu::Success);
    return host;
  }
  orb::Vec cellCentre(int x, int y, int z) const {
    const float c = sdf.cell();
    return sdf.origin() + orb::Vec{c * (x + 0.5f), c * (y + 0.5f), c * (z + 0.5f)};
  }
};

float boxDistance(orb::Vec p, float h) {
  const float q[3] = {std::fabs(p.x) - h, std::fabs(p.y) - h, std::fabs(p.z) - h};
  const float outside = std::hypot(std::max(q[0], 0.f), std::max(q[1], 0.f), std::max(q[2], 0.f));
  return outside + std::min(std::max({q[0], q[1], q[2]}), 0.f);
}

}  // namespace

TEST_F(ContainerTest, CubeGridHoldsTheExactSignedBoxDistance) {
  std::string error;
  ASSERT_TRUE(sdf.buildContainer(inktest::cubeSoup(20.f), 40, error)) << error;
  ASSERT_EQ(sdf.res(), 40);
  EXPECT_FLOAT_EQ(sdf.cell(), 1.1f * 40.f / 38.f);
  EXPECT_FLOAT_EQ(sdf.origin().x, -20.f * sdf.cell());
  EXPECT_FLOAT_EQ(sdf.largestCoordinate(), 20.f);
  const std::vector<float> g = grid();
  int inside = 0;
  for (int z = 0; z < 40; ++z)
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const float want = boxDistance(cellCentre(x, y, z), 20.f);
        const float got = g[(z * 40 + y) * 40 + x];
        ASSERT_NEAR(got, want, 2e-4f) << x << " " << y << " " << z;
        inside += got < 0;
      }
  EXPECT_GT(inside, 0);
}

TEST_F(ContainerTest, SphereMeshGridIsTheSphereDistanceWithinItsFacets) {
  std::string error;
  ASSERT_TRUE(sdf.buildContainer(inktest::sphereSoup(30.f, 48, 96), 32, error)) << error;
  const std::vector<float> g = grid();
  const float sagitta = 30.f * (1.f - std::cos(3.14159265f / 48.f));
  for (int z = 0; z < 32; ++z)
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ASSERT_NEAR(g[(z * 32 + y) * 32 + x], length(cellCentre(x, y, z)) - 30.f, sagitta + 1e-3f);

  // The flow samples the grid trilinearly and keeps growing beyond it.
  ink::Params p = inktest::defaultParams(1);
  sdf.applyTo(p);
  EXPECT_NEAR(ink::containerDistance(p, {3, -4, 12}), 13.f - 30.f, 0.1f);
  const float edge = ink::containerDistance(p, {0, 0, 40});
  EXPECT_NEAR(ink::containerDistance(p, {0, 0, 140}) - edge, 100.f, 1e-2f);
  const orb::Vec n = ink::sdfGrad(p, {10, 10, 10});
  EXPECT_NEAR(n.x, 0.57735f, 0.01f);
  EXPECT_NEAR(n.z, 0.57735f, 0.01f);
}

TEST_F(ContainerTest, ResolutionIsClampedAndBuildsAreCounted) {
  std::string error;
  ASSERT_TRUE(sdf.buildContainer(inktest::cubeSoup(1.f), 4, error));
  EXPECT_EQ(sdf.res(), 16);
  ASSERT_TRUE(sdf.buildContainer(inktest::cubeSoup(1.f), 999, error));
  EXPECT_EQ(sdf.res(), 256);
  EXPECT_EQ(sdf.builds(), 2);
}

TEST_F(ContainerTest, FailuresReleaseTheGridAndSayWhy) {
  std::string error;
  EXPECT_FALSE(sdf.buildContainer({}, 32, error));
  EXPECT_EQ(error, "container has no triangles");
  EXPECT_FALSE(sdf.buildContainer({1, 2, 3, 4, 5, 6, 7, 8}, 32, error));  // less than one triangle
  EXPECT_EQ(error, "container has no triangles");

  ASSERT_TRUE(sdf.buildContainer(inktest::cubeSoup(1.f), 16, error));
  gpu::faults::failAllocation(1);
  EXPECT_FALSE(sdf.buildContainer(inktest::cubeSoup(1.f), 64, error));  // needs a larger grid
  EXPECT_EQ(error, "GPU out of memory (container)");
  EXPECT_EQ(sdf.grid(), nullptr);
  ink::Params p = inktest::defaultParams(1);
  sdf.applyTo(p);
  EXPECT_EQ(p.grid, nullptr);
  EXPECT_EQ(sdf.builds(), 1);

  gpu::faults::failLaunch(1);
  EXPECT_FALSE(sdf.buildContainer(inktest::cubeSoup(1.f), 16, error));
  EXPECT_EQ(error, gpu::errorString(gpu::ErrorLaunchFailure));
}
