// Noise, hashing and the veil rest shape against values computed by hand
// (an independent double-precision rendering of the same formulas).
#include <gtest/gtest.h>

#include <random>

#include "orb/Noise.h"
#include "orb/OrbObject.h"
#include "orb/RowNoise.h"
#include "orb/VeilCache.h"
#include "orb/VeilRest.h"
#include "orb/VeilSources.h"

using namespace orb;

TEST(NoiseTest, LatticeValuesFollowTheCornerHash) {
  EXPECT_EQ(latticeValue(0, 0, 0), 0.f);
  EXPECT_FLOAT_EQ(latticeValue(1, 0, 0), 0.6039063334465027f);
  EXPECT_FLOAT_EQ(latticeValue(0, 1, 0), 0.386039137840271f);
  EXPECT_FLOAT_EQ(latticeValue(-1, -1, -1), 0.23761999607086182f);
  EXPECT_FLOAT_EQ(latticeValue(7, -3, 12), 0.26139336824417114f);
  EXPECT_FLOAT_EQ(valueNoise3({1.f, 0.f, 0.f}), 2.f * 0.6039063334465027f - 1.f);  // at a lattice point
}

TEST(NoiseTest, ValueNoiseAndFbmMatchHandComputedValues) {
  EXPECT_NEAR(valueNoise3({0.5f, 0.25f, 0.75f}), -0.38426347105996683, 2e-6);
  EXPECT_NEAR(valueNoise3({-1.3f, 2.7f, 0.1f}), 0.5065952662126771, 2e-6);
  EXPECT_NEAR(valueNoise3({10.5f, -20.25f, 3.125f}), 0.04410076342901448, 2e-6);
  EXPECT_NEAR(fbm3({0.5f, 0.25f, 0.75f}, 3), -0.462783690793521, 2e-6);
  EXPECT_NEAR(fbm3({0.5f, 0.25f, 0.75f}, 4), -0.43787491644831417, 2e-6);
  EXPECT_NEAR(fbm3({-1.3f, 2.7f, 0.1f}, 4), 0.3711032672321296, 2e-6);
  EXPECT_EQ(fbm3({1.f, 2.f, 3.f}, 0), 0.f);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-100.f, 100.f);
  for (int i = 0; i < 1000; ++i) {
    const float n = valueNoise3({u(rng), u(rng), u(rng)});
    EXPECT_GE(n, -1.f);
    EXPECT_LT(n, 1.f);
  }
}

TEST(NoiseTest, RowNoiseEqualsFbmBitForBit) {
  std::vector<float> ys;
  for (int j = 0; j <= 64; ++j) ys.push_back(-17.3f + 0.61f * j);
  RowNoise rows;
  rows.prepare(ys, 6.4f, 4);
  std::vector<float> out(ys.size());
  for (float x : {-3.7f, 0.f, 0.015f, 0.03f, 5.5f, 123.25f}) {
    rows.row(x, out.data());
    for (std::size_t j = 0; j < ys.size(); ++j) EXPECT_EQ(out[j], fbm3({x, ys[j], 6.4f}, 4)) << x << " " << j;
  }
}

TEST(HashTest, CombineStepIsTheGoldenRatioMix) {
  EXPECT_EQ(hashCombine(0xABCDEF, 1), 0x9e3779b9aac326beull);
  EXPECT_EQ(hashCombine(hashCombine(0xABCDEF, 1), 2), 0xcd94bf2b3007d3f8ull);
}

TEST(HashTest, SimulationKeyCoversMotionInputsOnly) {
  const Params base = defaultParams();
  const VeilSourceSet none;
  const std::uint64_t key = simulationKey(base, none);
  for (auto change : std::vector<void (*)(Params&)>{
           [](Params& p) { p.gravity += 0.001f; }, [](Params& p) { p.seed += 1; },
           [](Params& p) { p.selfCollision = 0; }, [](Params& p) { p.simWidth += 1; },
           [](Params& p) { p.clearance = 0.06f; }, [](Params& p) { p.anchor = 2; }}) {
    Params p = base;
    change(p);
    EXPECT_NE(simulationKey(p, none), key);
  }
  for (auto change : std::vector<void (*)(Params&)>{
           [](Params& p) { p.speed = 2; }, [](Params& p) { p.phase = 0.5f; }, [](Params& p) { p.reverse = 1; },
           [](Params& p) { p.freeze = 1; }, [](Params& p) { p.thickness = 0.02f; },
           [](Params& p) { p.wrinkleAmount = 0; }, [](Params& p) { p.radius = 80; },
           [](Params& p) { p.renderSegments = 200; }, [](Params& p) { p.useCUDA = 0; }}) {
    Params p = base;
    change(p);
    EXPECT_EQ(simulationKey(p, none), key);
  }
  VeilSourceSet sources;
  sources.hash = 77;
  EXPECT_NE(simulationKey(base, sources), key);
}

TEST(VeilRestTest, MatchesHandComputedPositions) {
  const Params p = defaultParams();
  struct Case {
    int k;
    float a, v;
    double x, y, z;
  } cases[] = {{0, 0.5f, 0.f, 9.662271496884186, -41.60116767859891, 19.620992770438384},
               {0, 0.f, -1.f, -20.446468876202594, 15.282501902776009, 35.89313109979683},
               {1, 0.25f, 0.5f, -9.927081925720035, -23.97826291431867, 38.43104694954977},
               {3, 1.f, 1.f, -42.339438147425355, 16.762271692689822, 11.636074297665475}};
  for (const Case& c : cases) {
    const Vec r = restPosition(p, c.k, c.a, c.v);
    EXPECT_NEAR(r.x, c.x, 2e-3) << c.k << " " << c.a << " " << c.v;
    EXPECT_NEAR(r.y, c.y, 2e-3);
    EXPECT_NEAR(r.z, c.z, 2e-3);
  }
}

TEST(VeilRestTest, StaysInsideTheShellAndFollowsTheGridLayout) {
  Params p = defaultParams();
  p.veilCount = 4;
  p.pleatDepth = 0.3f;
  p.veilRadius = 0.95f;
  const ClothGrid grid = clothGridFor(p);
  EXPECT_EQ(grid.along, 96);
  EXPECT_EQ(grid.across, 32);
  EXPECT_EQ(grid.particles(), 4 * 97 * 33);
  const std::vector<Vec> rest = restShape(p, grid);
  ASSERT_EQ(rest.size(), static_cast<std::size_t>(grid.particles()));
  for (const Vec& r : rest) EXPECT_LE(length(r), 50.f * (1.f - p.clearance) + 1e-3f);
  const Vec expected = restPosition(p, 2, 10.f / 96, 2.f * 5 / 32 - 1.f);
  EXPECT_EQ(rest[grid.index(2, 10, 5)].x, expected.x);
  EXPECT_EQ(rest[2 * 97 * 33 + 10 * 33 + 5].z, expected.z);

  p.simLength = 5000;
  p.simWidth = 1;
  p.veilCount = 9;
  const ClothGrid clamped = clothGridFor(p);
  EXPECT_EQ(clamped.along, 256);
  EXPECT_EQ(clamped.across, 8);
  EXPECT_EQ(clamped.veils, 4);
}

TEST(VeilRestTest, VeilPhaseUsesTheSeedRemainder) {
  EXPECT_FLOAT_EQ(veilPhase(42, 0), 42 * 0.01371f);
  EXPECT_FLOAT_EQ(veilPhase(10007 + 42, 1), 42 * 0.01371f + 2.173f);
}
