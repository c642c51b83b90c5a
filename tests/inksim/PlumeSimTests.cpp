// The water-ink engine on the device: the record's grid and frame rules,
// one water run per water setting, the stored stir against its formula,
// particles pouring, sinking and staying inside, scrubbing, the silk's
// drift, and every failure text (grid reports included).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "PlumeFixtures.h"
#include "gpu/Device.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/PlumeDrift.h"
#include "ink/sim/PlumeSim.h"
#include "ink/sim/PlumeWater.h"

namespace {

using ink::PlumeParams;

// A small water: 16³ cells, `frames` frames at 24 fps, a quarter second
// pour from a wide source, weaker billows.
PlumeParams smallWater(int frames = 12, float sink = 4.f) {
  PlumeParams p = inktest::defaultWater(16, frames, 24.f);
  p.sourceCentre = {0.f, 0.f, 20.f};
  p.sourceRadius = 12.f;
  p.emitSeconds = 0.25f;
  p.sink = sink;
  p.push = sink > 0.f ? 3.f : 0.f;
  p.billow = 2.f;
  p.count = 3000;
  return p;
}

struct Poured {
  std::vector<orb::Vec> positions;
  std::vector<float> weights;
};
Poured fetch(ink::PlumeSim& sim) {
  Poured p;
  std::string error;
  EXPECT_TRUE(ink::downloadPlume(sim, sim.count(), p.positions, &p.weights, error)) << error;
  return p;
}

struct PlumeTest : ::testing::Test {
  void TearDown() override { gpu::faults::reset(); }
  std::string error;
};

TEST(PlumeRecord, GridFramesAndSettingsFollowTheRecord) {
  PlumeParams p = smallWater();
  p.resolution = 200;
  EXPECT_EQ(ink::waterCells(p), 160);
  p.resolution = 8;
  const vf::GridDesc g = ink::waterGrid(p);
  EXPECT_EQ(g.nx, 16);
  EXPECT_EQ(g.nz, 16);
  EXPECT_FLOAT_EQ(g.dx, 110.f / 16.f);
  EXPECT_FLOAT_EQ(g.origin.x, -55.f);
  // F = ceil((end - start) fps) + 2, at least 2: a range that ends where it
  // starts still keeps two frames, one frame keeps three.
  p.end = p.start;
  EXPECT_EQ(ink::waterFrames(p), 2);
  p.end = 1.f / 24.f;
  EXPECT_EQ(ink::waterFrames(p), 3);
  p.end = 150.f / 24.f;
  EXPECT_EQ(ink::waterFrames(p), 152);
  const vf::StepSettings s = ink::waterSettings(smallWater());
  EXPECT_FLOAT_EQ(s.densityWeight, 200.f);
  EXPECT_FLOAT_EQ(s.dt, 1.f / 48.f);
  EXPECT_EQ(s.pressureIterations, 80);
}

TEST_F(PlumeTest, TheWaterRunsOncePerWaterSettingAndStoresTheStir) {
  ink::PlumeWater water;
  PlumeParams p = smallWater();
  ASSERT_TRUE(water.simulate(p, {}, error)) << error;
  EXPECT_EQ(water.run(), 1u);
  EXPECT_EQ(water.frames(), 14);
  EXPECT_GT(water.maxSpeed(), 1.f);
  // Another particle count rides the same water.
  p.count = 10;
  ASSERT_TRUE(water.simulate(p, {}, error));
  EXPECT_EQ(water.run(), 1u);
  // A cloth wall, or another seed (the stir's phase), is other water.
  const ink::ClothTriangles none = [](float, std::vector<float>&) { return false; };
  ASSERT_TRUE(water.simulate(p, none, error));
  EXPECT_EQ(water.run(), 2u);
  EXPECT_EQ(water.clothWallCells(), 0);
  p.seedMix += 1;
  ASSERT_TRUE(water.simulate(p, none, error));
  EXPECT_EQ(water.run(), 3u);

  // Frame 0 is the stir alone, at the cell centres: the mean of each
  // cell's two faces of S 0.3 π sin(π i / n) cos(π (j + ½) / n) cos(2π (k + ½) / n + φ).
  const int n = 16;
  std::vector<orb::Vec> frame0(n * n * n);
  ASSERT_EQ(ink::download(frame0.data(), water.history().frames, n * n * n), gpu::Success);
  const double S = 0.3 * 50.0, pi = 3.14159265358979, phi = (static_cast<std::uint32_t>(p.seedMix) % 1000u) * 0.0063;
  const auto uFace = [&](int i, int j, int k) {
    return 0.3 * pi * S * std::sin(pi * i / n) * std::cos(pi * (j + 0.5) / n) * std::cos(2 * pi * (k + 0.5) / n + phi);
  };
  const auto vFace = [&](int i, int j, int k) {
    return -0.3 * pi * S * std::cos(pi * (i + 0.5) / n) * std::sin(pi * j / n) * std::cos(2 * pi * (k + 0.5) / n + phi);
  };
  for (const auto [i, j, k] : {std::array{3, 5, 7}, std::array{0, 15, 2}, std::array{9, 1, 12}}) {
    const orb::Vec c = frame0[i + n * (j + n * k)];
    EXPECT_NEAR(c.x, 0.5 * (uFace(i, j, k) + uFace(i + 1, j, k)), 1e-3);
    EXPECT_NEAR(c.y, 0.5 * (vFace(i, j, k) + vFace(i, j + 1, k)), 1e-3);
    EXPECT_EQ(c.z, 0.f);
  }
}

TEST_F(PlumeTest, OneWaterServesWhereASecondHistoryWouldNotFit) {
  // Leave free memory for two and a half histories (and the grid): each run
  // may take half of what is free, so a first water fits and a second,
  // identical one for the other use would not. The uses share one.
  const PlumeParams p = smallWater();
  const std::int64_t history = ink::waterHistoryBytes(p);
  std::size_t freeBytes = 0, total = 0;
  ASSERT_EQ(gpu::memGetInfo(&freeBytes, &total), gpu::Success);
  gpu::DeviceArray<char> ballast;
  ASSERT_TRUE(ballast.reserve(static_cast<std::int64_t>(freeBytes) - 5 * history / 2));
  ink::PlumeWater shared, second;
  ink::PlumeSim viewport, render;
  PlumeParams few = p, many = p;
  few.count = 100;
  many.count = 3000;
  ASSERT_TRUE(viewport.configure(few, shared, {}, error)) << error;
  EXPECT_FALSE(second.simulate(many, {}, error));
  EXPECT_EQ(error, "plume: not enough GPU memory for 14 frames at 16^3 - lower the water resolution or the frame range");
  ASSERT_TRUE(render.configure(many, shared, {}, error)) << error;
  EXPECT_EQ(shared.run(), 1u);
  ASSERT_TRUE(render.advance(0.3f, error)) << error;
}

TEST_F(PlumeTest, ParticlesPourFromTheSourceSinkAndStayInside) {
  for (const float sink : {4.f, -4.f}) {
    SCOPED_TRACE(sink);
    ink::PlumeWater water;
    ink::PlumeSim sim;
    const PlumeParams p = smallWater(24, sink);
    ASSERT_TRUE(sim.configure(p, water, {}, error)) << error;
    // Mid-pour: the unborn weigh 0 and wait in the source ball.
    ASSERT_TRUE(sim.advance(0.125f, error)) << error;
    EXPECT_EQ(sim.substep(), 6);
    Poured mid = fetch(sim);
    int unborn = 0;
    for (std::size_t i = 0; i < mid.weights.size(); ++i) {
      if (mid.weights[i] != 0.f) continue;
      ++unborn;
      EXPECT_LE(length(mid.positions[i] - p.sourceCentre), p.sourceRadius * 1.0001f);
    }
    EXPECT_GT(unborn, 1000);  // about half of 3000 are born by then
    EXPECT_LT(unborn, 2000);

    ASSERT_TRUE(sim.advance(1.f, error)) << error;
    const Poured end = fetch(sim);
    double meanZ = 0.0;
    for (std::size_t i = 0; i < end.positions.size(); ++i) {
      EXPECT_EQ(end.weights[i], 1.f);
      EXPECT_LE(length(end.positions[i]), 0.97f * p.radius * 1.0001f);
      meanZ += end.positions[i].z;
    }
    meanZ /= static_cast<double>(end.positions.size());
    // Dense ink sinks below the source; ink lighter than water rises.
    if (sink > 0.f) EXPECT_LT(meanZ, p.sourceCentre.z - 5.f);
    else EXPECT_GT(meanZ, p.sourceCentre.z + 2.f);
  }
}

TEST_F(PlumeTest, PlayingOnRunsOnlyNewSubstepsAndScrubbingBackStartsOver) {
  ink::PlumeWater water;
  ink::PlumeSim stepped, direct;
  const PlumeParams p = smallWater(96);
  ASSERT_TRUE(stepped.configure(p, water, {}, error)) << error;
  ASSERT_TRUE(direct.configure(p, water, {}, error)) << error;
  ASSERT_TRUE(stepped.advance(0.5f, error));
  EXPECT_EQ(stepped.lastSubsteps(), 24);
  ASSERT_TRUE(stepped.advance(1.5f, error));
  EXPECT_EQ(stepped.lastSubsteps(), 48);
  ASSERT_TRUE(stepped.advance(0.25f, error));  // back: from the pour again
  EXPECT_EQ(stepped.lastSubsteps(), 12);
  ASSERT_TRUE(stepped.advance(3.f, error));
  EXPECT_EQ(stepped.lastSubsteps(), 132);
  // Past the range's end the particles stand at its last substep.
  ASSERT_TRUE(stepped.advance(9.f, error));
  EXPECT_EQ(stepped.substep(), 2 * 97);
  // One run of 194 substeps (in launches of at most 64) lands on the same bits.
  ASSERT_TRUE(direct.advance(9.f, error));
  const Poured a = fetch(stepped), b = fetch(direct);
  ASSERT_EQ(a.positions.size(), b.positions.size());
  for (std::size_t i = 0; i < a.positions.size(); ++i) ASSERT_EQ(a.positions[i], b.positions[i]) << i;
}

TEST_F(PlumeTest, TheDriftMovesEachChunkByTheWaterAndPassesItOnOtherwise) {
  ink::PlumeWater water;
  ink::PlumeDrift drift;
  const std::vector<orb::Vec> host = {{0.f, 0.f, 20.f}, {10.f, -5.f, 0.f}, {-30.f, 12.f, -20.f}};
  orb::Vec* inner = nullptr;
  ASSERT_EQ(gpu::mallocArray(&inner, host.size()), gpu::Success);
  ASSERT_EQ(ink::upload(inner, host.data(), 3), gpu::Success);
  const ink::ChunkSource silk = [inner](const ink::ChunkSink& sink, std::string&) {
    ink::Chunk c;
    c.positions = inner;
    c.count = 3;
    c.kind = 1;
    return sink(c);
  };
  std::vector<orb::Vec> seen;
  const ink::ChunkSink look = [&seen](const ink::Chunk& c) {
    seen.resize(static_cast<std::size_t>(c.count));
    EXPECT_EQ(c.kind, 1);
    return ink::download(seen.data(), c.positions, c.count) == gpu::Success;
  };
  // No water yet: unchanged.
  ASSERT_TRUE(drift.wrap(silk, water, 3.f, 0.5f)(look, error));
  EXPECT_EQ(seen, host);
  ASSERT_TRUE(water.simulate(smallWater(), {}, error)) << error;
  ASSERT_TRUE(drift.wrap(silk, water, 3.f, 0.f)(look, error));
  EXPECT_EQ(seen, host);
  gpu::faults::failAllocation(1);
  ASSERT_TRUE(drift.wrap(silk, water, 3.f, 0.5f)(look, error));
  EXPECT_EQ(seen, host);

  ASSERT_TRUE(drift.wrap(silk, water, 3.f, 0.5f)(look, error));
  const ink::WaterHistory h = water.history();
  const std::int64_t cells = 16 * 16 * 16;
  std::vector<orb::Vec> frames(static_cast<std::size_t>(cells * h.frameCount));
  ASSERT_EQ(ink::download(frames.data(), h.frames, cells * h.frameCount), gpu::Success);
  const ink::WaterHistory onHost{frames.data(), h.frameCount, h.grid};
  bool moved = false;
  for (std::size_t i = 0; i < host.size(); ++i) {
    EXPECT_EQ(seen[i], host[i] + ink::historyVelocity(onHost, host[i], 3.f) * 0.5f);
    moved = moved || seen[i] != host[i];
  }
  EXPECT_TRUE(moved);
  gpu::free(inner);
}

TEST_F(PlumeTest, EveryFailureSaysWhatFailedAndHoldsNothing) {
  std::size_t freeBefore = 0, total = 0;
  ASSERT_EQ(gpu::memGetInfo(&freeBefore, &total), gpu::Success);
  struct Case {
    void (*arm)();
    const char* report;  // the grid's line on standard output, or ""
    const char* text;
  };
  const Case cases[] = {
      {[] { gpu::faults::failAllocation(1); }, "", "plume: GPU out of memory"},
      {[] { gpu::faults::failStreamCreate(1); }, "CUDA out of memory at CUDA/vf/VFSmoke:409\n",
       "plume: could not create the water grid"},
      // The history and the counters come first, then the grid's arrays.
      {[] { gpu::faults::failAllocation(5); }, "CUDA out of memory at CUDA/vf/VFSmoke:420\n",
       "plume: could not create the water grid"},
      {[] { gpu::faults::failAsyncClear(3); }, "CUDA invalid argument at CUDA/vf/VFSmoke:421\n",
       "plume: could not create the water grid"},
      {[] { gpu::faults::failStreamSynchronize(1); }, "CUDA unspecified launch failure at CUDA/vf/VFSmoke:423\n",
       "plume: could not create the water grid"},
      {[] { gpu::faults::failStreamSynchronize(2); }, "", "plume: unspecified launch failure"},
      {[] { gpu::faults::failLaunch(40); }, "", "plume: unspecified launch failure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ink::PlumeWater water;
    c.arm();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(water.simulate(smallWater(), {}, error));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.report);
    EXPECT_EQ(error, c.text);
    EXPECT_FALSE(water.hasHistory());
    gpu::faults::reset();
    std::size_t freeAfter = 0;
    ASSERT_EQ(gpu::memGetInfo(&freeAfter, &total), gpu::Success);
    EXPECT_EQ(freeAfter, freeBefore);
  }

  // Half of the free memory bounds the history: 52 frames of 160³ need 2.4 GiB.
  ink::PlumeWater water;
  PlumeParams big = smallWater(50);
  big.resolution = 500;
  EXPECT_FALSE(water.simulate(big, {}, error));
  EXPECT_EQ(error, "plume: not enough GPU memory for 52 frames at 160^3 - lower the water resolution or the frame range");

  // The particles.
  ink::PlumeSim sim;
  EXPECT_FALSE(sim.advance(0.f, error));
  EXPECT_EQ(error, "plume not configured");
  EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return true; }, error));
  EXPECT_EQ(error, "plume not simulated");
  ASSERT_TRUE(water.simulate(smallWater(), {}, error)) << error;
  gpu::faults::failAllocation(1);
  EXPECT_FALSE(sim.configure(smallWater(), water, {}, error));
  EXPECT_EQ(error, "plume: GPU out of memory for the particles");
  ASSERT_TRUE(sim.configure(smallWater(), water, {}, error));
  ASSERT_TRUE(sim.advance(0.1f, error));
  gpu::faults::failLaunch(1);
  EXPECT_FALSE(sim.advance(0.2f, error));
  EXPECT_EQ(error, "plume: GPU error while advancing");
  EXPECT_EQ(sim.substep(), -1);
  ASSERT_TRUE(sim.advance(0.2f, error));
  std::vector<orb::Vec> positions;
  gpu::faults::failCopy(1);
  EXPECT_FALSE(ink::downloadPlume(sim, 10, positions, nullptr, error));
  EXPECT_EQ(error, "plume download failed");
}

}  // namespace
