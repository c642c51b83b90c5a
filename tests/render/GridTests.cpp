// The density and optical-depth grids against their closed forms: cell
// mapping, deposits that conserve mass, and the march through a uniform
// medium along an axis, a diagonal and towards a point.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RenderFixtures.h"
#include "ink/render/Grid.h"

namespace {

const ink::GridInfo kGrid{16, 8.f, 1.f};  // cells of 1 over [−8, 8]³

struct GridAccumulator {
  std::vector<float> cells = std::vector<float>(16 * 16 * 16, 0.f);
  gpu::Accumulator accumulator() { return gpu::Accumulator(cells.data(), nullptr, false); }
  double total() const {
    double t = 0;
    for (float c : cells) t += c;
    return t;
  }
};

TEST(DensityGrid, PointsFallInTheTruncatedCellAndOutsidePointsAreDropped) {
  std::int64_t cell = -1;
  ASSERT_TRUE(ink::cellIndex(kGrid, {-8.f, -8.f, -8.f}, cell));
  EXPECT_EQ(cell, 0);
  ASSERT_TRUE(ink::cellIndex(kGrid, {0.5f, -7.5f, 7.9f}, cell));
  EXPECT_EQ(cell, (15 * 16 + 0) * 16 + 8);
  EXPECT_FALSE(ink::cellIndex(kGrid, {8.f, 0.f, 0.f}, cell));   // index n
  EXPECT_FALSE(ink::cellIndex(kGrid, {0.f, -9.1f, 0.f}, cell));  // below −1 cell
  EXPECT_FALSE(ink::cellIndex(kGrid, {NAN, 0.f, 0.f}, cell));
  EXPECT_FALSE(ink::cellIndex(kGrid, {1e30f, 0.f, 0.f}, cell));

  GridAccumulator grid;
  ink::splatGridParticle(kGrid, {0.5f, 0.5f, 0.5f}, 2.f, grid.accumulator());
  ink::splatGridParticle(kGrid, {20.f, 0.f, 0.f}, 5.f, grid.accumulator());
  EXPECT_EQ(grid.total(), 2.0);
  EXPECT_EQ(grid.cells[(8 * 16 + 8) * 16 + 8], 2.f);
}

TEST(DensityGrid, TrilinearDepositsConserveMassInsideAndSkipCornersOutside) {
  GridAccumulator grid;
  ink::splatTrilinearParticle(kGrid, {0.3f, -1.2f, 2.7f}, 1.f, grid.accumulator());
  EXPECT_NEAR(grid.total(), 1.0, 1e-6);
  // On a cell centre the whole weight stays in that cell.
  GridAccumulator centred;
  ink::splatTrilinearParticle(kGrid, {0.5f, 0.5f, 0.5f}, 1.f, centred.accumulator());
  EXPECT_NEAR(centred.cells[(8 * 16 + 8) * 16 + 8], 1.f, 1e-6);
  // Half a cell beyond the last centre: half the weight lands outside.
  GridAccumulator edge;
  ink::splatTrilinearParticle(kGrid, {8.f, 0.5f, 0.5f}, 1.f, edge.accumulator());
  EXPECT_NEAR(edge.total(), 0.5, 1e-6);
  // What is deposited is what a trilinear read gives back at the same point.
  EXPECT_NEAR(ink::sampleTrilinear(kGrid, centred.cells.data(), {0.5f, 0.5f, 0.5f}), 1.f, 1e-6);
  EXPECT_NEAR(ink::sampleTrilinear(kGrid, centred.cells.data(), {1.f, 0.5f, 0.5f}), 0.5f, 1e-6);
  EXPECT_EQ(ink::sampleTrilinear(kGrid, centred.cells.data(), {NAN, 0.f, 0.f}), 0.f);
}

class UniformMedium : public ::testing::Test {
 protected:
  static constexpr float kDensity = 0.25f;
  std::vector<float> density = std::vector<float>(16 * 16 * 16, kDensity);

  float depth(int i, int j, int k, orb::Vec direction, orb::Vec position = {}, int mode = ink::kTowardsDirection) {
    return ink::opticalDepth(kGrid, density.data(), (k * 16 + j) * 16 + i, direction, position, mode);
  }
};

TEST_F(UniformMedium, OpticalDepthAlongAnAxisIsTheDistanceToTheBoxTimesTheDensity) {
  for (int i : {0, 3, 8, 15}) {
    const float centre = static_cast<float>(i) + 0.5f - 8.f;
    EXPECT_NEAR(depth(i, 5, 9, {1, 0, 0}), kDensity * (8.f - centre), 1e-5f) << i;
    EXPECT_NEAR(depth(i, 5, 9, {-1, 0, 0}), kDensity * (8.f + centre), 1e-5f) << i;
  }
  EXPECT_NEAR(depth(4, 4, 15, {0, 0, 1}), kDensity * 0.5f, 1e-6f);  // only its own half cell
}

TEST_F(UniformMedium, OpticalDepthAlongADiagonalIsWithinHalfACellOfTheDistance) {
  const float s = 1.f / std::sqrt(3.f);
  for (int i : {2, 7, 12}) {
    const float centre = static_cast<float>(i) + 0.5f - 8.f;
    const float distance = (8.f - centre) * std::sqrt(3.f);  // to the box's corner face
    // One cell per step: τ = density × (0.5 + whole steps inside).
    const float steps = std::floor(distance);
    EXPECT_NEAR(depth(i, i, i, {s, s, s}), kDensity * (0.5f + steps), 1e-4f) << i;
    EXPECT_NEAR(depth(i, i, i, {s, s, s}), kDensity * distance, 0.5f * kDensity) << i;
  }
}

TEST_F(UniformMedium, OpticalDepthTowardsAPointStopsAtThePoint) {
  // From cell 2 (centre −5.5) towards x = 0.5, six cells away: the own half
  // cell and the five whole steps taken before the point is reached.
  EXPECT_NEAR(depth(2, 8, 8, {}, {0.5f, 0.5f, 0.5f}, ink::kTowardsPoint), kDensity * 5.5f, 1e-5f);
  // A point outside the box: the march ends at the box.
  EXPECT_NEAR(depth(2, 8, 8, {}, {100.f, 0.5f, 0.5f}, ink::kTowardsPoint), kDensity * (8.f + 5.5f), 1e-4f);
  // The eye inside the own cell: only the own half cell.
  EXPECT_NEAR(depth(2, 8, 8, {}, {-5.5f, 0.5f, 0.5f}, ink::kTowardsPoint), kDensity * 0.5f, 1e-6f);
}

}  // namespace
