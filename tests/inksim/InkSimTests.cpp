// The ink engine end to end on the device: determinism, the loop's period,
// resident and streamed residency, snapshots, streaming and every failure
// text. The cpu backend plays a 4 GiB device here (the test's environment).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "GpuLockProbe.h"
#include "InkSimFixtures.h"
#include "gpu/Device.h"
#include "ink/sim/ContainerSdf.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/InkAdvance.h"
#include "ink/sim/InkSim.h"

namespace {

struct State {
  std::vector<orb::Vec> positions;
  std::vector<float> weights;
};

struct InkSimTest : ::testing::Test {
  void TearDown() override {
    gpu::faults::reset();
    unsetenv("ORB_INK_MAX_RESIDENT");
  }

  ink::Params params = inktest::defaultParams(4000);
  std::vector<ink::Tube> track = inktest::defaultTrack(params);
  std::vector<ink::Tri> triangles;

  void configure(ink::InkSim& sim) {
    std::string error;
    ASSERT_TRUE(sim.configure(params, track, triangles, error)) << error;
  }
  State at(ink::InkSim& sim, float t) {
    std::string error;
    EXPECT_TRUE(sim.advance(t, error)) << error;
    State s;
    EXPECT_TRUE(ink::downloadInk(sim, sim.count(), s.positions, &s.weights, error)) << error;
    return s;
  }
  State fresh(float t) {
    ink::InkSim sim;
    configure(sim);
    return at(sim, t);
  }
};

void expectSame(const State& a, const State& b) {
  ASSERT_EQ(a.positions.size(), b.positions.size());
  for (std::size_t i = 0; i < a.positions.size(); ++i) {
    ASSERT_EQ(a.positions[i], b.positions[i]) << "particle " << i;
    ASSERT_EQ(a.weights[i], b.weights[i]) << "particle " << i;
  }
}

}  // namespace

TEST_F(InkSimTest, SameRecordSamePositionsAndThePoolMatchesOneThread) {
  const State a = fresh(0.6f), b = fresh(0.6f);
  expectSame(a, b);
  // The same particles advanced one by one on this thread: the resident
  // engine seeds to the last quarter second, then steps on. The pool runs
  // eight particles per instruction, whose exponential, sine and cosine are
  // within two units in the last place of the platform's; over these six
  // steps the difference stays below two millionths of the radius.
  const ink::FlowInputs inputs{track.data(), nullptr, nullptr};
  float worst = 0.f;
  for (std::int64_t g = 0; g < params.count; g += 97) {
    const ink::Particle seeded = ink::advanceParticle(params, inputs, {}, g, 0.5f, 0.5f, false);
    const ink::Particle p = ink::advanceParticle(params, inputs, seeded.position, g, 0.5f, 0.6f, true);
    worst = std::max(worst, length(a.positions[g] - p.position));
    ASSERT_NEAR(a.weights[g], p.weight, 1e-6f) << g;
  }
  EXPECT_LT(worst, 2e-6f * params.radius);  // 0.3e-6 measured
  // The particles moved and stayed inside the sphere.
  int moved = 0;
  for (std::int64_t g = 0; g < params.count; ++g) {
    ASSERT_LE(length(a.positions[g]), 0.995f * params.radius * 1.000001f);
    moved += !(a.positions[g] == ink::seedParticle(params, nullptr, nullptr, ink::indexHash(g)).position);
  }
  EXPECT_GT(moved, params.count * 9 / 10);
}

TEST_F(InkSimTest, LoopRepeatsExactlyEveryPeriod) {
  expectSame(fresh(1.25f), fresh(1.25f + params.loopSeconds));
  const State a = fresh(2.6f), b = fresh(2.6f + 2 * params.loopSeconds);
  for (std::size_t i = 0; i < a.positions.size(); ++i) {
    ASSERT_EQ(a.positions[i], b.positions[i]) << i;
    ASSERT_NEAR(a.weights[i], b.weights[i], 1e-5f) << i;
  }
  // The two half-populations' weights add to a constant on average.
  double total = 0;
  for (float w : a.weights) total += w;
  const State c = fresh(5.1f);
  double other = 0;
  for (float w : c.weights) other += w;
  EXPECT_NEAR(total / other, 1.0, 0.05);
}

TEST_F(InkSimTest, QuarterStepsSnapshotsAndOneJumpAgree) {
  ink::InkSim stepped;
  configure(stepped);
  for (float t = 0.25f; t <= 2.f; t += 0.25f) at(stepped, t);
  const State jump = fresh(2.f);
  expectSame(at(stepped, 2.f), jump);
  ASSERT_EQ(stepped.snapshots().size(), 8u);
  EXPECT_EQ(stepped.snapshots()[0].time, 0.25f);

  // Scrubbing back restores the nearest earlier snapshot: one launch from
  // 1.25 s reaches 1.3 s (a reseed would need two).
  gpu::faults::failLaunch(2);
  std::string error;
  ASSERT_TRUE(stepped.advance(1.3f, error)) << error;
  gpu::faults::reset();
  State back;
  ASSERT_TRUE(ink::downloadInk(stepped, stepped.count(), back.positions, &back.weights, error));
  expectSame(back, fresh(1.3f));
  // An advance to the time held launches nothing.
  gpu::faults::failLaunch(1);
  EXPECT_TRUE(stepped.advance(1.3f, error));
}

TEST_F(InkSimTest, ScrubbingBackWithoutSnapshotReseedsFromTheLastQuarterSecond) {
  ink::InkSim sim;
  configure(sim);
  at(sim, 2.f);
  ASSERT_EQ(sim.snapshots().size(), 1u);  // 2 s was reached in one launch
  expectSame(at(sim, 1.6f), fresh(1.6f));
  EXPECT_EQ(sim.snapshots().back().time, 1.5f);
  EXPECT_EQ(sim.currentTime(), 1.6f);
}

TEST_F(InkSimTest, StreamedAndResidentEnginesAgreeAcrossChunks) {
  params.count = 1100000;  // two streamed chunks
  params.curlStrength = 0.f;  // spin and wall only, and no loop whose odd half
  params.loop = 0;            // would integrate half a period: cheap for a million particles
  track.clear();
  params.trackFrames = params.tubesPerFrame = 0;
  const State resident = fresh(0.05f);
  setenv("ORB_INK_MAX_RESIDENT", "0", 1);
  ink::InkSim sim;
  configure(sim);
  EXPECT_TRUE(sim.streamed());
  EXPECT_EQ(sim.chunkSize(), ink::kMinStreamChunk);
  EXPECT_EQ(sim.statusText(), "ink 1100000 (streamed)");
  expectSame(at(sim, 0.05f), resident);

  std::vector<std::int64_t> firsts;
  std::string error;
  ASSERT_TRUE(sim.stream(
      [&](const ink::Chunk& c) {
        firsts.push_back(c.first);
        EXPECT_NE(c.rest, nullptr);
        orb::Vec p;
        gpu::memcpy(&p, c.positions + 5, sizeof p, gpu::CopyKind::DeviceToHost);
        EXPECT_EQ(p, resident.positions[c.first + 5]);
        return true;
      },
      error));
  EXPECT_EQ(firsts, (std::vector<std::int64_t>{0, ink::kMinStreamChunk}));
}

TEST_F(InkSimTest, ResidentStreamIsOneChunkWithRestPositionsUnderTheLock) {
  ink::InkSim sim;
  configure(sim);
  EXPECT_EQ(sim.statusText(), "ink 4000");
  std::string error;
  EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return true; }, error));
  EXPECT_EQ(error, "no state");
  at(sim, 0.5f);
  int chunks = 0;
  ink::ChunkSource source = sim.source();
  ASSERT_TRUE(source(
      [&](const ink::Chunk& c) {
        ++chunks;
        EXPECT_FALSE(inktest::lockFreeForAnotherThread());  // held for the whole stream
        EXPECT_EQ(c.count, 4000);
        EXPECT_EQ(c.first, 0);
        EXPECT_EQ(c.kind, 0);
        std::vector<orb::Vec> rest(c.count);
        gpu::memcpy(rest.data(), c.rest, rest.size() * sizeof(orb::Vec), gpu::CopyKind::DeviceToHost);
        for (std::int64_t g = 0; g < c.count; g += 51)
          EXPECT_EQ(rest[g], ink::restPosition(params, nullptr, nullptr, ink::indexHash(g)));
        return true;
      },
      error));
  EXPECT_EQ(chunks, 1);
  ASSERT_TRUE(ink::gpuLock().try_lock());
  ink::gpuLock().unlock();
  // A stopped stream always explains itself: the sink's own text, else a line.
  error.clear();
  EXPECT_FALSE(source([](const ink::Chunk&) { return false; }, error));
  EXPECT_EQ(error, "streaming stopped by the consumer");
  EXPECT_FALSE(source(
      [&](const ink::Chunk&) {
        error = "disk full";
        return false;
      },
      error));
  EXPECT_EQ(error, "disk full");
}

TEST_F(InkSimTest, IdenticalInputsKeepTheStateAndAnyChangeDropsIt) {
  ink::InkSim sim;
  configure(sim);
  at(sim, 0.5f);
  configure(sim);
  EXPECT_TRUE(sim.hasState());
  EXPECT_EQ(sim.snapshots().size(), 1u);
  params.spin = 0.09f;
  configure(sim);
  EXPECT_FALSE(sim.hasState());
  EXPECT_TRUE(sim.snapshots().empty());
  track[3].strength += 1.f;
  at(sim, 0.5f);
  configure(sim);
  EXPECT_FALSE(sim.hasState());
}

TEST_F(InkSimTest, SnapshotsLiveOnTheDeviceWhileThreeGibibytesStayFree) {
  ink::InkSim sim;
  configure(sim);
  at(sim, 0.5f);
  ASSERT_EQ(sim.snapshots().size(), 1u);
  EXPECT_TRUE(sim.snapshots()[0].device);
  EXPECT_EQ(sim.hostSnapshotBytes(), 0);

  void* hog = nullptr;
  ASSERT_EQ(gpu::malloc(&hog, 1536u << 20), gpu::Success);
  at(sim, 0.75f);
  ASSERT_EQ(sim.snapshots().size(), 2u);
  EXPECT_FALSE(sim.snapshots()[1].device);
  EXPECT_EQ(sim.snapshots()[1].positions.size(), 4000u);
  EXPECT_EQ(sim.hostSnapshotBytes(), 16 * 4000);
  gpu::free(hog);
  // Both kinds restore the same particles.
  expectSame(at(sim, 0.5f), fresh(0.5f));
  expectSame(at(sim, 0.8f), fresh(0.8f));
}

TEST_F(InkSimTest, ContainerKeepsSeedsAndParticlesInsideTheMesh) {
  ink::ContainerSdf container;
  std::string error;
  ASSERT_TRUE(container.buildContainer(inktest::cubeSoup(15.f), 48, error)) << error;
  container.applyTo(params);
  params.volumeAmount = 1.f;  // most seeds of the ball fall outside the cube
  ink::InkSim sim;
  configure(sim);
  const State s = at(sim, 1.f);
  for (const orb::Vec& p : s.positions) {
    ASSERT_LE(std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}), 15.f + 1e-3f) << p.x << " " << p.y;
  }
}

TEST_F(InkSimTest, FailureTexts) {
  ink::InkSim sim;
  std::string error;
  EXPECT_FALSE(sim.advance(1.f, error));
  EXPECT_EQ(error, "not configured");
  std::vector<orb::Vec> positions;
  EXPECT_FALSE(ink::downloadInk(sim, 10, positions, nullptr, error));
  EXPECT_EQ(error, "no state");

  gpu::faults::setNoDevice(true);
  EXPECT_FALSE(sim.configure(params, track, triangles, error));
  EXPECT_EQ(error, "CUDA unavailable");
  gpu::faults::reset();

  // Allocation order: positions, weights, tubes, triangles, area table.
  const char* texts[] = {"GPU out of memory", "GPU out of memory", "GPU out of memory (vortex track)",
                         "GPU out of memory (emitter mesh)", "GPU out of memory (emitter mesh)"};
  for (int n = 1; n <= 5; ++n) {
    gpu::faults::failAllocation(n);
    EXPECT_FALSE(sim.configure(params, track, triangles, error)) << n;
    EXPECT_EQ(error, texts[n - 1]);
    EXPECT_FALSE(sim.configured());
    gpu::faults::reset();
  }
  configure(sim);
  gpu::faults::failLaunch(1);
  EXPECT_FALSE(sim.advance(0.5f, error));
  EXPECT_EQ(error, "launch failed");
  EXPECT_FALSE(sim.hasState());
  at(sim, 0.5f);  // the next advance reseeds
  EXPECT_FALSE(sim.advance(NAN, error));
  EXPECT_EQ(error, "invalid time");
  EXPECT_FALSE(sim.advance(INFINITY, error));
  EXPECT_TRUE(sim.hasState());  // the state at 0.5 s is kept
  gpu::faults::failCopy(1);
  EXPECT_FALSE(ink::downloadInk(sim, 10, positions, nullptr, error));
  EXPECT_EQ(error, "download failed");
}

TEST_F(InkSimTest, StreamedMirrorsTooLargeForTheHostAreRefused) {
  setenv("ORB_INK_MAX_RESIDENT", "0", 1);
  params.count = 2000000000;
  ink::InkSim sim;
  std::string error;
  if (ink::hostMemoryHolds(32000000000ll)) GTEST_SKIP() << "this machine holds 32 GB of mirrors";
  EXPECT_FALSE(sim.configure(params, track, triangles, error));
  EXPECT_EQ(error, "not enough system memory for 2000000000 particles");
  EXPECT_FALSE(sim.configured());
}

TEST_F(InkSimTest, ReleaseFreesEverythingAndDownloadIsCapped) {
  std::size_t freeBefore = 0, total = 0, freeAfter = 0;
  gpu::memGetInfo(&freeBefore, &total);
  {
    ink::InkSim sim;
    configure(sim);
    const State s = at(sim, 0.3f);
    std::vector<orb::Vec> first;
    std::string error;
    ASSERT_TRUE(ink::downloadInk(sim, 10, first, nullptr, error));
    ASSERT_EQ(first.size(), 10u);
    EXPECT_EQ(first[9], s.positions[9]);
    ink::releaseInkEngine(sim);
    gpu::memGetInfo(&freeAfter, &total);
    EXPECT_EQ(freeAfter, freeBefore);
    EXPECT_FALSE(sim.configured());
    EXPECT_FALSE(sim.advance(0.3f, error));
    EXPECT_EQ(error, "not configured");
    configure(sim);  // usable again
    expectSame(at(sim, 0.3f), s);
  }
}
