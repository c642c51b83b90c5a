// The caustic kernels' bodies on the host: the floor the caustics fall on,
// photon energy against the sphere's transmission integrated by hand, and
// the filtered map in energy per unit floor area.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "GlassOrbScene.h"
#include "gpu/Accumulate.h"
#include "ink/render/Caustics.h"

namespace {

ink::SceneTriangle flat(float x, float y, float z, float size = 10.f) {
  return {{x - size, y - size, z}, {x + size, y - size, z}, {x, y + size, z}, {1, 1, 1}, 1.f};
}

TEST(CausticFloor, HighestCentroidBelowTheGlassElseLowestVertexWithinTheMapElseNone) {
  const float R = 50.f, g = 1.f;  // the map reaches 150 from the axis; centroids must lie below −45
  std::vector<ink::SceneTriangle> tris{flat(0, 0, -80), flat(20, 0, -60), flat(400, 0, -50), flat(0, 0, 30)};
  EXPECT_EQ(*ink::causticFloorHeight(tris.data(), 4, R, g), -60.f);
  // Only a tilted triangle reaching down: its lowest vertex below −25 counts.
  std::vector<ink::SceneTriangle> tilted{{{0, 0, -10}, {30, 0, -40}, {0, 30, -35}, {1, 1, 1}, 1.f},
                                         flat(400, 0, -100)};
  EXPECT_EQ(*ink::causticFloorHeight(tilted.data(), 2, R, g), -40.f);
  std::vector<ink::SceneTriangle> none{flat(0, 0, -20), flat(300, 0, -200)};
  EXPECT_FALSE(ink::causticFloorHeight(none.data(), 2, R, g).has_value());
  EXPECT_FALSE(ink::causticFloorHeight(nullptr, 0, R, g).has_value());
}

struct PhotonMap {
  std::vector<float> cells = std::vector<float>(ink::kCausticMapFloats, 0.f);
  ink::PhotonArgs args{{0, 0, 1}, 50.75f, 1.5f, -60.f, ink::kCausticResolution, 3.f * 50.75f, ink::kPhotonGridSide,
                       0.f};

  double trace() {
    std::fill(cells.begin(), cells.end(), 0.f);
    const gpu::Accumulator acc(cells.data(), nullptr, false);
    const std::int64_t photons = std::int64_t{args.side} * args.side;
    for (std::int64_t i = 0; i < photons; ++i) ink::tracePhoton(args, i, acc);
    return std::accumulate(cells.begin(), cells.end(), 0.0);
  }
};

TEST(CausticPhotons, ALightFromAboveDepositsThePowerTheSphereTransmits) {
  PhotonMap map;
  const double total = map.trace();
  const double expected = rendertest::transmittedPower(50.75, 1.5);
  EXPECT_NEAR(total, expected, 0.005 * expected);
  // Without bending or reflection loss the deposit would be the disc's area: the sphere loses a little.
  EXPECT_LT(total, M_PI * 50.75 * 50.75);
  EXPECT_GT(total, 0.85 * M_PI * 50.75 * 50.75);
  // The ball focuses: the centre cell gathers far more than the light's own density there.
  const int c = ink::kCausticResolution / 2;
  const double cellArea = std::pow(2 * map.args.halfSize / ink::kCausticResolution, 2);
  EXPECT_GT(map.cells[c * ink::kCausticResolution + c] / cellArea, 5.0);
}

TEST(CausticPhotons, ALightFromBelowOrTheHorizonLightsNothing) {
  PhotonMap map;
  map.args.lightDirection = {0, 0, -1};
  EXPECT_EQ(map.trace(), 0.0);
  map.args.lightDirection = {1, 0, 0.001f};
  EXPECT_EQ(map.trace(), 0.0);
}

TEST(CausticNormalise, EnergyPerUnitFloorAreaAtTheLightsInclination) {
  const int res = 16;
  const float half = 8.f;  // cells of 1 × 1
  std::vector<float> photons(res * res, 0.5f);
  // A uniform map keeps its density at the edges too: the filter is normalised.
  for (const std::int64_t cell : {std::int64_t{0}, std::int64_t{7 * res + 9}, std::int64_t{res * res - 1}})
    EXPECT_NEAR(ink::normaliseCausticCell(photons.data(), cell, res, half, 0.5f, 2.f), 1.f, 1e-6f);
  // Blur 0 is a single tap; blur 1 reaches the neighbours with e^−1.
  std::fill(photons.begin(), photons.end(), 0.f);
  photons[5 * res + 5] = 1.f;
  EXPECT_EQ(ink::normaliseCausticCell(photons.data(), 5 * res + 5, res, half, 1.f, 0.f), 1.f);
  EXPECT_EQ(ink::normaliseCausticCell(photons.data(), 5 * res + 6, res, half, 1.f, 0.f), 0.f);
  const float w1 = std::exp(-1.f), w2 = std::exp(-2.f);
  const float norm = 1.f + 4.f * w1 + 4.f * w2;
  EXPECT_NEAR(ink::normaliseCausticCell(photons.data(), 5 * res + 6, res, half, 1.f, 1.f), w1 / norm, 1e-6f);
  // A grazing light is floored at cos 0.001.
  EXPECT_NEAR(ink::normaliseCausticCell(photons.data(), 5 * res + 5, res, half, 0.f, 0.f), 1000.f, 1e-2f);
}

TEST(CausticMap, ReadsBilinearlyBetweenCellCentresAndZeroOffTheMap) {
  std::vector<float> maps(2 * 4 * 4, 0.f);
  maps[16 + 1 * 4 + 1] = 2.f;  // light 1, cell (1, 1), centred at (−0.5, −0.5) on a map of ±2
  const ink::CausticView view{maps.data(), 4, 2.f};
  EXPECT_FLOAT_EQ(ink::causticAt(view, 1, -0.5f, -0.5f), 2.f);
  EXPECT_FLOAT_EQ(ink::causticAt(view, 1, 0.f, -0.5f), 1.f);
  EXPECT_FLOAT_EQ(ink::causticAt(view, 0, -0.5f, -0.5f), 0.f);
  EXPECT_EQ(ink::causticAt(view, 1, 2.5f, 0.f), 0.f);
}

}  // namespace
