// The swirl source on the device: particles against an independent
// double-precision model of the swirl, the surface hold, ink space,
// scrubbing back, the 40-byte budget and every failure text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "SourceFixtures.h"
#include "gpu/Device.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/SwirlSim.h"

namespace {

struct D3 {
  double x, y, z;
};
D3 operator+(D3 a, D3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3 operator-(D3 a, D3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3 operator*(D3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dotD(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 crossD(D3 a, D3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double lenD(D3 a) { return std::sqrt(dotD(a, a)); }
D3 d3(orb::Vec v) { return {v.x, v.y, v.z}; }

// The swirl's acceleration as the force is described: hold to the sphere,
// partition-weighted swirl and pull per vortex, response scale and drag
// (no turbulence).
D3 referenceAcceleration(const swirl::Frame& F, D3 p, D3 v) {
  const double r = lenD(p);
  if (r < 1e-5) return {0, 0, 0};
  const D3 n = p * (1.0 / r);
  const double P = std::max<double>(F.partition, 0.0);
  std::vector<double> w(F.count), beta(F.count);
  double S = 0.0;
  for (int j = 0; j < F.count; ++j) {
    const swirl::Vortex& V = F.vortices[j];
    const double c = V.isSeed && V.spread > 0 ? V.spread : F.spread;
    beta[j] = std::acos(std::clamp(dotD(n, d3(V.axis)), -1.0, 1.0)) / c;
    const double b = V.isSeed && !V.on ? 1e6 : beta[j];
    w[j] = P == 0 ? 1.0 : std::pow(std::exp(-b * b) + 1e-9, P);
    S += w[j];
  }
  D3 force = n * ((F.radius - r) * F.surfaceHold);
  for (int j = 0; j < F.count && S > 1e-9; ++j) {
    if (w[j] / S < 1e-4) continue;
    const swirl::Vortex& V = F.vortices[j];
    const D3 axis = d3(V.axis);
    const double g1 = F.swirl * (V.isSeed ? V.swirl : 1.0), g2 = F.attraction * (V.isSeed ? V.attraction : 1.0);
    const double eye = V.isSeed && V.eye > 0 ? V.eye : std::max<double>(F.eye, 0.01);
    D3 tau = crossD(axis, n), kappa = axis - n * dotD(n, axis);
    if (lenD(tau) > 1e-6) tau = tau * (1.0 / lenD(tau));
    if (lenD(kappa) > 1e-6) kappa = kappa * (1.0 / lenD(kappa));
    const double G = std::exp(-beta[j] * beta[j]);
    force = force + (tau * (g1 * std::min(beta[j] / eye, 1.0) * G) + kappa * (g2 * std::min(beta[j], 1.0) * G)) *
                        (w[j] / S);
  }
  return force * F.responseScale - v * F.drag;
}

// Semi-implicit Euler from the seed at the start time to t1.
D3 referencePosition(const ink::SwirlParams& P, const std::vector<swirl::Frame>& track, D3 p, double t1) {
  const double dt = 1.0 / (P.fps * std::max(P.substeps, 1)), s = dt / std::max<double>(P.timeUnit, 1e-6);
  const int steps = static_cast<int>((t1 - P.startTime) / dt + 0.5);
  D3 v{0, 0, 0};
  double t = P.startTime;
  for (int k = 0; k < steps; ++k) {
    const int f = std::clamp(static_cast<int>(std::floor(P.fps * (t - P.trackStart) + 0.5)), 0, P.trackFrames - 1);
    v = v + referenceAcceleration(track[f], p, v) * s;
    p = p + v * s;
    t += dt;
  }
  return p;
}

struct SwirlSimTest : ::testing::Test {
  void TearDown() override {
    gpu::faults::reset();
    unsetenv("ORB_INK_MAX_RESIDENT");
  }
  std::vector<orb::Vec> at(ink::SwirlSim& sim, float t) {
    std::string error;
    EXPECT_TRUE(sim.advance(t, error)) << error;
    std::vector<orb::Vec> positions;
    EXPECT_TRUE(ink::downloadSwirl(sim, sim.count(), positions, error)) << error;
    return positions;
  }
  void configure(ink::SwirlSim& sim, const ink::SwirlParams& p, const std::vector<swirl::Frame>& track) {
    std::string error;
    ASSERT_TRUE(sim.configure(p, track, error)) << error;
  }

  // Every particle after `t` seconds against the reference from its seed.
  void expectReference(const std::vector<swirl::Frame>& track, float t) {
    const ink::SwirlParams p = inktest::defaultSwirl(64, static_cast<int>(track.size()));
    ink::SwirlSim sim;
    configure(sim, p, track);
    const std::vector<orb::Vec> seeds = at(sim, 0.f);
    for (const orb::Vec& s : seeds) ASSERT_NEAR(length(s), 50.f, 1e-3f);
    const std::vector<orb::Vec> moved = at(sim, t);
    double largest = 0.0;
    for (std::size_t i = 0; i < seeds.size(); ++i) {
      const D3 want = referencePosition(p, track, d3(seeds[i]), t);
      largest = std::max(largest, lenD(d3(seeds[i]) - want));
      EXPECT_NEAR(moved[i].x, want.x, 2e-3) << i;
      EXPECT_NEAR(moved[i].y, want.y, 2e-3) << i;
      EXPECT_NEAR(moved[i].z, want.z, 2e-3) << i;
    }
    EXPECT_GT(largest, 0.05);  // the particles did move
  }
};

TEST_F(SwirlSimTest, OneVortexMatchesTheDoublePrecisionModel) {
  swirl::Frame f = inktest::vortexFrame(1);
  f.vortices[0].axis = {0.f, 0.6f, 0.8f};
  f.swirl = 400.f;
  expectReference({f}, 8.f / 60.f);
}

TEST_F(SwirlSimTest, SeveralVorticesWithOwnValuesAndChangingFramesMatchTheModel) {
  std::vector<swirl::Frame> track;
  for (int k = 0; k < 3; ++k) {
    swirl::Frame f = inktest::vortexFrame(6, 0.3f * static_cast<float>(k));
    f.swirl = 300.f;
    f.attraction = 40.f;
    f.vortices[1] = {f.vortices[1].axis, 2.f, 0.5f, 0.9f, 0.4f, 1, 1};  // a seed vortex with its own values
    f.vortices[2].isSeed = 1;
    f.vortices[2].on = 0;  // switched off
    track.push_back(f);
  }
  // 12 steps at 60 Hz: frames 0, 1 and then 2 held past the track's end.
  expectReference(track, 0.2f);
  track[0].partition = 0.f;  // every vortex, the off one too, weighs 1
  expectReference(track, 0.1f);
}

TEST_F(SwirlSimTest, AStrongSurfaceHoldKeepsParticlesOnTheSphere) {
  swirl::Frame f = inktest::vortexFrame(10);
  f.surfaceHold = 1000.f;
  f.turbulence = 8.f;
  f.swirl = 500.f;
  ink::SwirlParams p = inktest::defaultSwirl(2000, 1);
  ink::SwirlSim sim;
  configure(sim, p, {f});
  const std::vector<orb::Vec> start = at(sim, 0.f);
  const std::vector<orb::Vec> later = at(sim, 2.f);
  double travelled = 0.0;
  for (std::size_t i = 0; i < later.size(); ++i) {
    ASSERT_NEAR(length(later[i]), 50.f, 0.5f) << i;
    travelled += length(later[i] - start[i]);
  }
  EXPECT_GT(travelled / later.size(), 1.0);  // they circulate along the surface
}

TEST_F(SwirlSimTest, InkSpaceScrubbingAndBeforeTheStart) {
  const std::vector<swirl::Frame> track{inktest::vortexFrame(4)};
  ink::SwirlParams p = inktest::defaultSwirl(300, 1);
  p.startTime = p.trackStart = 0.5f;
  ink::SwirlSim plain;
  configure(plain, p, track);
  const std::vector<orb::Vec> seeds = at(plain, 0.f);
  EXPECT_EQ(at(plain, 0.5f)[7].x, seeds[7].x);  // nothing moves before the start
  const std::vector<orb::Vec> early = at(plain, 0.8f);
  const std::vector<orb::Vec> later = at(plain, 1.f);
  const std::vector<orb::Vec> back = at(plain, 0.8f);  // reseeds and integrates again
  EXPECT_EQ(back[5].x, early[5].x);
  EXPECT_NE(later[5].x, early[5].x);

  // A quarter turn about z and a shift: the stream sees p' = (−y, x, z) + (1, 2, 3).
  p.rows[0] = {0, 1, 0};
  p.rows[1] = {-1, 0, 0};
  p.translation = {1, 2, 3};
  ink::SwirlSim turned;
  configure(turned, p, track);
  std::string error;
  ASSERT_TRUE(turned.advance(1.f, error)) << error;
  std::vector<orb::Vec> streamed(300);
  ASSERT_TRUE(turned.stream(
      [&](const ink::Chunk& c) {
        EXPECT_EQ(c.count, 300);
        EXPECT_EQ(c.first, 0);
        EXPECT_EQ(c.kind, 0);
        EXPECT_EQ(c.rest, nullptr);
        return gpu::memcpy(streamed.data(), c.positions, 12 * 300, gpu::CopyKind::DeviceToHost) == gpu::Success;
      },
      error))
      << error;
  for (std::size_t i = 0; i < 300; i += 37) {
    EXPECT_NEAR(streamed[i].x, -later[i].y + 1.f, 1e-4f);
    EXPECT_NEAR(streamed[i].y, later[i].x + 2.f, 1e-4f);
    EXPECT_NEAR(streamed[i].z, later[i].z + 3.f, 1e-4f);
  }
}

TEST_F(SwirlSimTest, ACountAboveTheBudgetFailsBeforeAllocatingAndKeepsTheState) {
  const std::vector<swirl::Frame> track{inktest::vortexFrame(4)};
  ink::SwirlSim sim;
  configure(sim, inktest::defaultSwirl(100, 1), track);
  const std::vector<orb::Vec> held = at(sim, 0.3f);
  setenv("ORB_INK_MAX_RESIDENT", "100", 1);
  std::size_t freeBefore = 0, freeAfter = 0, total = 0;
  gpu::memGetInfo(&freeBefore, &total);
  std::string error, device;
  ink::describeDevice(device);
  gpu::faults::failAllocation(1);  // would answer first if anything were allocated
  EXPECT_FALSE(sim.configure(inktest::defaultSwirl(101, 1), track, error));
  EXPECT_EQ(error, "swirl: 101 particles do not fit this GPU (" + device + ")");
  gpu::memGetInfo(&freeAfter, &total);
  EXPECT_EQ(freeAfter, freeBefore);
  gpu::faults::reset();
  EXPECT_TRUE(sim.hasState());
  EXPECT_EQ(at(sim, 0.3f)[9].x, held[9].x);
}

TEST_F(SwirlSimTest, FailureTexts) {
  const std::vector<swirl::Frame> track{inktest::vortexFrame(4)};
  const ink::SwirlParams p = inktest::defaultSwirl(100, 1);
  ink::SwirlSim sim;
  std::string error;
  std::vector<orb::Vec> positions;
  EXPECT_FALSE(sim.advance(1.f, error));
  EXPECT_EQ(error, "not configured");
  EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return true; }, error));
  EXPECT_EQ(error, "no swirl state");
  EXPECT_FALSE(ink::downloadSwirl(sim, 10, positions, error));
  EXPECT_EQ(error, "no swirl state");
  gpu::faults::setNoDevice(true);
  EXPECT_FALSE(sim.configure(p, track, error));
  EXPECT_EQ(error, "CUDA unavailable");
  gpu::faults::reset();
  // Allocation order: positions, velocities, weights, ink-space positions, track.
  for (int n = 1; n <= 5; ++n) {
    gpu::faults::failAllocation(n);
    EXPECT_FALSE(sim.configure(p, track, error)) << n;
    EXPECT_EQ(error, n < 5 ? "GPU out of memory (swirl)" : "GPU out of memory (swirl track)");
    EXPECT_FALSE(sim.configured());
    gpu::faults::reset();
  }
  configure(sim, p, track);
  gpu::faults::failLaunch(1);
  EXPECT_FALSE(sim.advance(0.5f, error));
  EXPECT_EQ(error, "launch failed");
  EXPECT_FALSE(sim.hasState());
  EXPECT_FALSE(sim.advance(NAN, error));
  EXPECT_EQ(error, "invalid time");
  at(sim, 0.5f);
  error.clear();
  EXPECT_FALSE(sim.stream([](const ink::Chunk&) { return false; }, error));
  EXPECT_EQ(error, "streaming stopped by the consumer");
  gpu::faults::failCopy(1);
  EXPECT_FALSE(ink::downloadSwirl(sim, 10, positions, error));
  EXPECT_EQ(error, "download failed");
}

}  // namespace
