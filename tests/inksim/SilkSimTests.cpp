// The silk source on the device: particles on their cloth within the
// thread's thickness and the folds, uniform density over texture area, the
// frayed border's weights, batches and every failure text. The cpu backend
// plays a 4 GiB device here (the test's environment).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "SourceFixtures.h"
#include "gpu/Device.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/InkSim.h"
#include "ink/sim/SilkParticle.h"
#include "ink/sim/SilkSim.h"

namespace {

// Host copies of every streamed particle, by global index.
struct SilkCloud {
  std::vector<orb::Vec> positions, texture;
  std::vector<float> weights;
  std::vector<std::int64_t> firsts;
  bool allKindOne = true;
};

// Box-Muller draws stay within sqrt(-2 ln 1e-7) standard deviations.
constexpr float kMaxNormal = 5.68f;

struct SilkSimTest : ::testing::Test {
  void TearDown() override {
    gpu::faults::reset();
    unsetenv("ORB_INK_MAX_RESIDENT");
  }

  void configure(ink::SilkSim& sim, const ink::SilkParams& p, const std::vector<ink::SilkTri>& tris) {
    std::string error;
    ASSERT_TRUE(sim.configure(p, tris, error)) << error;
    ASSERT_TRUE(sim.ready()) << error;
  }

  SilkCloud stream(ink::SilkSim& sim) {
    SilkCloud c;
    const auto n = static_cast<std::size_t>(sim.count());
    c.positions.resize(n);
    c.texture.resize(n);
    c.weights.resize(n);
    std::string error;
    const bool ok = sim.stream(
        [&](const ink::Chunk& chunk) {
          c.firsts.push_back(chunk.first);
          c.allKindOne = c.allKindOne && chunk.kind == 1;
          const auto at = static_cast<std::size_t>(chunk.first);
          EXPECT_EQ(gpu::memcpy(&c.positions[at], chunk.positions, 12 * chunk.count, gpu::CopyKind::DeviceToHost),
                    gpu::Success);
          EXPECT_EQ(gpu::memcpy(&c.weights[at], chunk.weights, 4 * chunk.count, gpu::CopyKind::DeviceToHost),
                    gpu::Success);
          EXPECT_NE(chunk.rest, nullptr);
          if (chunk.rest) {
            EXPECT_EQ(gpu::memcpy(&c.texture[at], chunk.rest, 12 * chunk.count, gpu::CopyKind::DeviceToHost),
                      gpu::Success);
          }
          return true;
        },
        error);
    EXPECT_TRUE(ok) << error;
    return c;
  }
};

TEST_F(SilkSimTest, ParticlesLieOnTheirClothWithinThicknessAndFolds) {
  ink::SilkParams p = inktest::defaultSilk(20000, 2);
  p.fray = 0.f;
  p.thickness = 0.01f;
  p.wrinkle = 0.02f;
  ink::SilkSim sim;
  configure(sim, p, inktest::clothSquare());
  const SilkCloud c = stream(sim);
  EXPECT_TRUE(c.allKindOne);
  const float bound = kMaxNormal * p.thickness + p.wrinkle + 1e-5f;
  float maxLift = 0.f;
  for (std::size_t i = 0; i < c.positions.size(); ++i) {
    // On the unstretched square the surface point of texture (u, v) is (u, v, 0).
    const orb::Vec q = c.positions[i], uv = c.texture[i];
    ASSERT_GE(uv.x, -1e-6f);
    ASSERT_LE(uv.x, 1.f + 1e-6f);
    ASSERT_GE(uv.y, -1e-6f);
    ASSERT_LE(uv.y, 1.f + 1e-6f);
    ASSERT_NEAR(q.x, uv.x, 1e-5f) << i;
    ASSERT_NEAR(q.y, uv.y, 1e-5f) << i;
    ASSERT_LE(std::fabs(q.z), bound) << i;
    ASSERT_EQ(uv.z, 0.f);
    ASSERT_EQ(c.weights[i], 1.f);  // no fray
    maxLift = std::max(maxLift, std::fabs(q.z));
  }
  EXPECT_GT(maxLift, 2.f * p.thickness);  // the thickness and folds are there
}

TEST_F(SilkSimTest, OneTriangleHoldsEveryParticle) {
  ink::SilkParams p = inktest::defaultSilk(5000, 1);
  p.thickness = p.wrinkle = p.fray = 0.f;
  const orb::Vec a{1, 2, 3}, b{4, 2, 5}, d{2, 6, 3};
  ink::SilkSim sim;
  configure(sim, p, {inktest::silkTri(a, b, d, 0.2f, 0.2f, 0.8f, 0.2f, 0.2f, 0.8f)});
  const SilkCloud c = stream(sim);
  const orb::Vec e1 = b - a, e2 = d - a, n = cross(e1, e2);
  for (const orb::Vec& q : c.positions) {
    // Barycentrics by Cramer's rule against the triangle's own edges.
    const orb::Vec r = q - a;
    const float det = dot(n, n);
    const float beta = dot(cross(r, e2), n) / det, gamma = dot(cross(e1, r), n) / det;
    ASSERT_GE(beta, -1e-5f);
    ASSERT_GE(gamma, -1e-5f);
    ASSERT_LE(beta + gamma, 1.f + 1e-5f);
    ASSERT_NEAR(dot(r, n) / std::sqrt(det), 0.f, 1e-4f);
  }
}

TEST_F(SilkSimTest, DensityIsUniformOverTextureAreaNotSurfaceArea) {
  // The first triangle's surface is nine times its texture share: a surface
  // uniform sampling would put 90 % of the particles there.
  ink::SilkParams p = inktest::defaultSilk(64000, 2);
  p.fray = 0.f;
  ink::SilkSim sim;
  configure(sim, p, inktest::clothSquare(9.f));
  const SilkCloud c = stream(sim);
  constexpr int kCells = 8;
  std::vector<double> counts(kCells * kCells, 0.0);
  for (const orb::Vec& uv : c.texture) {
    const int i = std::clamp(static_cast<int>(uv.x * kCells), 0, kCells - 1);
    const int j = std::clamp(static_cast<int>(uv.y * kCells), 0, kCells - 1);
    counts[j * kCells + i] += 1.0;
  }
  const double expected = static_cast<double>(p.count) / (kCells * kCells);
  double chi2 = 0.0;
  for (double k : counts) chi2 += (k - expected) * (k - expected) / expected;
  // 63 degrees of freedom: the 0.999 quantile is about 103.
  EXPECT_LT(chi2, 103.0);
}

TEST_F(SilkSimTest, PackedParticlesFollowTheOneParticleRule) {
  // The cpu backend computes eight particles per instruction, the last pack
  // part-filled here; each must be the particle of its own index. Texture
  // positions and weights take exact operations only, so they match bit for
  // bit; positions pass through the packs' logarithm and cosine (a few units
  // in the last place), scaled by the thickness and the fray length.
  ink::SilkParams p = inktest::defaultSilk(1003, 2);
  p.fray = 0.2f;
  const auto cloth = inktest::clothSquare(9.f);
  ink::SilkSim sim;
  configure(sim, p, cloth);
  const SilkCloud c = stream(sim);
  const std::vector<float> areas = ink::silkAreaTable(cloth);
  const std::vector<std::int32_t> guide = ink::pickGuide(areas);
  p.triangleCount = 2;
  for (std::int64_t g = 0; g < p.count; ++g) {
    const ink::GuidedPick pick{areas.data(), guide.data(), ink::guideCells(areas.size())};
    const auto one = ink::silkParticle<float>(p, cloth.data(), pick, ink::indexHash(g));
    const auto i = static_cast<std::size_t>(g);
    ASSERT_EQ(c.texture[i].x, one.u) << g;
    ASSERT_EQ(c.texture[i].y, one.v) << g;
    ASSERT_EQ(c.weights[i], one.weight) << g;
    ASSERT_NEAR(c.positions[i].x, one.position.x, 1e-5f) << g;
    ASSERT_NEAR(c.positions[i].y, one.position.y, 1e-5f) << g;
    ASSERT_NEAR(c.positions[i].z, one.position.z, 1e-5f) << g;
  }
}

TEST_F(SilkSimTest, FrayLowersWeightsTowardsTheBorderOnlyAndZeroFrayKeepsThemAtOne) {
  ink::SilkParams p = inktest::defaultSilk(20000, 2);
  p.fray = 0.1f;
  ink::SilkSim sim;
  configure(sim, p, inktest::clothSquare());
  SilkCloud c = stream(sim);
  int frayed = 0;
  for (std::size_t i = 0; i < c.weights.size(); ++i) {
    const orb::Vec uv = c.texture[i];
    const float edge = std::max(std::min({uv.x, 1.f - uv.x, uv.y, 1.f - uv.y}), 0.f);
    const float f = 1.f - std::min(edge / p.fray, 1.f);
    ASSERT_NEAR(c.weights[i], f > 0.f ? 1.f - 0.85f * f : 1.f, 1e-5f) << i;
    frayed += f > 0.f;
  }
  EXPECT_GT(frayed, 4000);  // about 36 % of the square is border

  p.fray = 0.f;
  configure(sim, p, inktest::clothSquare());
  c = stream(sim);
  EXPECT_TRUE(std::all_of(c.weights.begin(), c.weights.end(), [](float w) { return w == 1.f; }));
}

TEST_F(SilkSimTest, TheFoldsComeBackAfterOneLoopAndMoveWithinIt) {
  ink::SilkParams p = inktest::defaultSilk(2000, 2);
  p.thickness = 0.f;
  ink::SilkSim sim;
  std::vector<orb::Vec> start, later, quarter;
  std::string error;
  configure(sim, p, inktest::clothSquare());
  ASSERT_TRUE(ink::downloadSilk(sim, 2000, start, error)) << error;
  p.loopPhase = 0.25f;
  configure(sim, p, inktest::clothSquare());
  ASSERT_TRUE(ink::downloadSilk(sim, 2000, quarter, error)) << error;
  // Phase 1 is phase 0: the folds' sampling point has gone once around.
  p.loopPhase = std::nextafter(1.f, 0.f);
  configure(sim, p, inktest::clothSquare());
  ASSERT_TRUE(ink::downloadSilk(sim, 2000, later, error)) << error;
  double moved = 0.0, back = 0.0;
  for (std::size_t i = 0; i < start.size(); ++i) {
    moved = std::max(moved, static_cast<double>(std::fabs(quarter[i].z - start[i].z)));
    back = std::max(back, static_cast<double>(std::fabs(later[i].z - start[i].z)));
  }
  EXPECT_GT(moved, 0.05);
  EXPECT_LT(back, 1e-3);
}

TEST_F(SilkSimTest, LargeCountsStreamInBatchesOfTheChosenSize) {
  setenv("ORB_INK_MAX_RESIDENT", "0", 1);  // the smallest batch, 2^20
  ink::SilkParams p = inktest::defaultSilk(ink::kMinStreamChunk + 10, 2);
  ink::SilkSim sim;
  configure(sim, p, inktest::clothSquare());
  EXPECT_EQ(sim.chunkSize(), ink::kMinStreamChunk);
  const SilkCloud c = stream(sim);
  EXPECT_EQ(c.firsts, (std::vector<std::int64_t>{0, ink::kMinStreamChunk}));
  // The viewport's copy is the first batch's particles, capped by the batch.
  std::vector<orb::Vec> viewport;
  std::string error;
  ASSERT_TRUE(ink::downloadSilk(sim, 1 << 30, viewport, error)) << error;
  ASSERT_EQ(static_cast<std::int64_t>(viewport.size()), ink::kMinStreamChunk);
  for (std::size_t i : {std::size_t{0}, std::size_t{12345}, viewport.size() - 1}) {
    EXPECT_EQ(viewport[i].x, c.positions[i].x);
    EXPECT_EQ(viewport[i].z, c.positions[i].z);
  }
  EXPECT_EQ(ink::silkChunkSize(1000000000), ink::kMaxStreamChunk);
  EXPECT_EQ(ink::silkChunkSize(10000000), 5000000);
}

TEST_F(SilkSimTest, FailureTexts) {
  const ink::SilkParams p = inktest::defaultSilk(1000, 2);
  const auto cloth = inktest::clothSquare();
  std::string error;
  std::vector<orb::Vec> positions;
  {
    ink::SilkSim sim;
    EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return true; }, error));
    EXPECT_EQ(error, "silk not configured");
    EXPECT_FALSE(ink::downloadSilk(sim, 10, positions, error));
    EXPECT_EQ(error, "silk not configured");
    EXPECT_FALSE(sim.configure(p, {}, error));
    EXPECT_EQ(error, "silk: the cloth source has no triangles");
    gpu::faults::setNoDevice(true);
    EXPECT_FALSE(sim.configure(p, cloth, error));
    EXPECT_EQ(error, "CUDA unavailable");
    gpu::faults::reset();
    // Allocation order: triangles, area table, its guide, batch positions and weights.
    for (int n = 1; n <= 3; ++n) {
      gpu::faults::failAllocation(n);
      EXPECT_FALSE(sim.configure(p, cloth, error));
      EXPECT_EQ(error, "GPU out of memory (silk mesh)");
      EXPECT_FALSE(sim.ready());
      gpu::faults::reset();
    }
  }
  for (int n = 4; n <= 5; ++n) {
    ink::SilkSim sim;
    gpu::faults::failAllocation(n);
    error.clear();
    EXPECT_TRUE(sim.configure(p, cloth, error));
    EXPECT_EQ(error, "GPU out of memory (silk chunk)");
    gpu::faults::reset();
    EXPECT_FALSE(sim.ready());
    EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return true; }, error));
    EXPECT_EQ(error, "silk not configured");
    EXPECT_FALSE(ink::downloadSilk(sim, 10, positions, error));
    EXPECT_EQ(error, "silk not configured");
    configure(sim, p, cloth);  // a later configure gets its batch buffers
  }
  ink::SilkSim sim;
  configure(sim, p, cloth);
  // Without room for texture positions the batches go out without them.
  gpu::faults::failAllocation(1);
  bool sawRest = true;
  EXPECT_TRUE(sim.stream(
      [&](const ink::Chunk& c) {
        sawRest = c.rest != nullptr;
        return true;
      },
      error));
  EXPECT_FALSE(sawRest);
  gpu::faults::reset();
  gpu::faults::failLaunch(1);
  EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return true; }, error));
  EXPECT_EQ(error, "launch failed");
  error.clear();
  EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return false; }, error));
  EXPECT_EQ(error, "streaming stopped by the consumer");
  gpu::faults::failCopy(1);
  EXPECT_FALSE(ink::downloadSilk(sim, 10, positions, error));
  EXPECT_EQ(error, "download failed");
}

}  // namespace
