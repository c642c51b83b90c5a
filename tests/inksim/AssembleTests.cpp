// The assemble morph and its wrapper on the device: the draws against
// hand-computed values, particles inside their target shapes at the start,
// untouched at the end, arriving one by one over the spread, the flight
// against an independent double-precision path, the smoke's curl, the host
// copy against the kernel, and the wrapper's batches and failure texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "AssembleShapes.h"
#include "gpu/Device.h"
#include "gpu/DeviceArray.h"
#include "gpu/FirstError.h"
#include "host/sdk/Point3.h"
#include "ink/AssembleEvaluation.h"
#include "ink/InkEvaluation.h"
#include "ink/render/RenderHashes.h"
#include "ink/sim/AssembleKernel.h"
#include "ink/sim/AssembleMorph.h"
#include "ink/sim/AssembleStage.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/StreamSteps.h"

namespace {

using inktest::insideShape;
using inktest::shapeCoordinates;
using orb::Vec;

constexpr std::int32_t kSeedMix = 42 * 7919 + 13;

// An ellipsoid (turned about z, half-axes 15, 10, 5) far on +x and a box
// (half-axes 10, 20, 4 along x, z, -y) on -x, with every flight setting on.
ink::AssembleParams twoShapes(float progress, float spread) {
  ink::AssembleParams P{};
  P.on = 1;
  P.progress = progress;
  P.spread = spread;
  P.turns = 1.5f;
  P.arc = 0.3f;
  P.noise = 0.15f;
  P.smoke = 0.6f;
  P.smokeScale = 2.f;
  P.time = 1.25f;
  P.radius = 50.f;
  P.seedMix = kSeedMix;
  P.shapeCount = 2;
  P.shape[0] = {{100.f, 20.f, -10.f}, {{12.f, 9.f, 0.f}, {-6.f, 8.f, 0.f}, {0.f, 0.f, 5.f}}, 1};
  P.shape[1] = {{-80.f, 0.f, 30.f}, {{10.f, 0.f, 0.f}, {0.f, 0.f, 20.f}, {0.f, -4.f, 0.f}}, 0};
  return P;
}

// Simulated positions spread through the orb.
std::vector<Vec> orbPositions(int n) {
  std::vector<Vec> p(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const float t = static_cast<float>(i);
    p[i] = {40.f * std::sin(0.37f * t), 40.f * std::cos(0.91f * t), 45.f * std::sin(0.13f * t + 1.f)};
  }
  return p;
}

std::vector<Vec> runKernel(const ink::AssembleParams& P, const std::vector<Vec>& in, std::int64_t first) {
  const auto n = static_cast<std::int64_t>(in.size());
  gpu::DeviceArray<Vec> dIn, dOut;
  EXPECT_TRUE(dIn.reserve(n) && dOut.reserve(n));
  gpu::FirstError device;
  device.check(ink::upload(dIn.data(), in.data(), n));
  device.check(ink::assembleKernel(P, dIn.data(), dOut.data(), n, first));
  std::vector<Vec> out(in.size());
  device.check(ink::download(out.data(), dOut.data(), n));
  EXPECT_TRUE(device.synchronize()) << device.text();
  return out;
}

bool sameBits(Vec a, Vec b) { return std::memcmp(&a, &b, sizeof(Vec)) == 0; }

struct AssembleTest : ::testing::Test {
  void TearDown() override { gpu::faults::reset(); }
};

TEST_F(AssembleTest, DrawsFollowTheKeyAndMixChainAndTheSourceMasksUseDrawNine) {
  // Values worked out by hand from the key g × 7 + k and the mix chain.
  EXPECT_EQ(ink::assembleDraw(0, 1, kSeedMix), 15745101.f / 16777216.f);
  EXPECT_EQ(ink::assembleDraw(5, 9, kSeedMix), 5665150.f / 16777216.f);
  EXPECT_EQ(ink::assembleDraw((std::uint64_t{2} << 40) + 123, 4, kSeedMix), 8585358.f / 16777216.f);
  EXPECT_EQ(ink::assembleDraw((std::uint64_t{3} << 40) + 7, 9, kSeedMix), 15452501.f / 16777216.f);
  for (std::uint64_t g : {std::uint64_t{0}, std::uint64_t{77}, (std::uint64_t{4} << 40) + 9})
    EXPECT_EQ(ink::sourceHash(g, kSeedMix), ink::assembleDraw(g, ink::kAssembleDrawTarget, kSeedMix));
}

TEST_F(AssembleTest, AtProgressZeroEveryParticleSitsInsideItsTargetAndTheTwoShapesShareThemEvenly) {
  constexpr int n = 20000;
  const std::int64_t first = ink::groupIdBase(ink::kSilkGroup) + 1000;
  const std::vector<Vec> out = runKernel(twoShapes(0.f, 0.f), orbPositions(n), first);
  const ink::AssembleParams P = twoShapes(0.f, 0.f);
  int second = 0;
  double lowest[2][3] = {}, highest[2][3] = {}, cubedRadii = 0.0;
  for (int i = 0; i < n; ++i) {
    const std::uint64_t g = static_cast<std::uint64_t>(first + i);
    const int target = ink::sourceHash(g, kSeedMix) < 0.5f ? 1 : 0;
    second += target;
    ASSERT_TRUE(insideShape(P.shape[target], out[i])) << "particle " << i << " outside shape " << target;
    double u[3];
    shapeCoordinates(P.shape[target], out[i], u);
    for (int k = 0; k < 3; ++k) {
      lowest[target][k] = std::min(lowest[target][k], u[k]);
      highest[target][k] = std::max(highest[target][k], u[k]);
    }
    if (target == 0) cubedRadii += std::pow(u[0] * u[0] + u[1] * u[1] + u[2] * u[2], 1.5);
  }
  EXPECT_NEAR(second, n / 2, 0.02 * n);
  // Uniform in the ellipsoid's volume: the cubed radius is uniform in [0, 1].
  EXPECT_NEAR(cubedRadii / (n - second), 0.5, 0.02);
  // The particles fill each shape out to its surface along every half-axis.
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 3; ++k) {
      EXPECT_LT(lowest[s][k], -0.9) << s << " " << k;
      EXPECT_GT(highest[s][k], 0.9) << s << " " << k;
    }

  // One shape takes every particle.
  ink::AssembleParams one = twoShapes(0.f, 0.f);
  one.shapeCount = 1;
  const std::vector<Vec> single = runKernel(one, orbPositions(2000), 0);
  for (const Vec& p : single) ASSERT_TRUE(insideShape(one.shape[0], p));
}

TEST_F(AssembleTest, ProgressOneOffOrNoShapeLeavesTheSimulatedPositions) {
  const std::vector<Vec> in = orbPositions(3000);
  ink::AssembleParams P = twoShapes(1.f, 0.6f);
  ink::AssembleParams off = twoShapes(0.3f, 0.6f);
  off.on = 0;
  ink::AssembleParams none = twoShapes(0.3f, 0.6f);
  none.shapeCount = 0;
  for (const ink::AssembleParams& record : {P, off, none}) {
    const std::vector<Vec> out = runKernel(record, in, 17);
    for (std::size_t i = 0; i < in.size(); ++i) ASSERT_TRUE(sameBits(out[i], in[i])) << i;
  }
  // Just below 1 the last particles are still on their way.
  P.progress = 0.99f;
  const std::vector<Vec> late = runKernel(P, in, 17);
  int moving = 0;
  for (std::size_t i = 0; i < in.size(); ++i) moving += !sameBits(late[i], in[i]);
  EXPECT_GT(moving, 0);
}

// With spread σ a particle leaves at σ × its departure draw and arrives at
// 1 − σ (1 − draw): departures and arrivals each cover 98 % of the range, in
// the order of the draw.
TEST_F(AssembleTest, SpreadSpreadsDeparturesAndArrivalsOverTheRangeByTheParticlesDraw) {
  constexpr int n = 20000;
  constexpr float sigma = 0.98f;
  const std::vector<Vec> in = orbPositions(n);
  const std::vector<Vec> start = runKernel(twoShapes(0.f, sigma), in, 0);
  for (float progress : {0.01f, 0.25f, 0.5f, 0.75f, 0.995f}) {
    const std::vector<Vec> out = runKernel(twoShapes(progress, sigma), in, 0);
    int arrived = 0, departed = 0;
    for (int i = 0; i < n; ++i) {
      const float d = ink::assembleDraw(static_cast<std::uint64_t>(i), ink::kAssembleDrawDeparture, kSeedMix);
      const float leaves = sigma * d, arrives = 1.f - sigma * (1.f - d);
      const bool isHome = sameBits(out[i], in[i]), isAway = !sameBits(out[i], start[i]);
      arrived += isHome;
      departed += isAway;
      if (std::fabs(progress - arrives) > 1e-4f) {
        ASSERT_EQ(isHome, progress > arrives) << i << " at " << progress;
      }
      if (std::fabs(progress - leaves) > 1e-4f) {
        ASSERT_EQ(isAway, progress > leaves) << i << " at " << progress;
      }
    }
    EXPECT_NEAR(arrived, n * std::max(0.f, (progress - (1.f - sigma)) / sigma), 0.015 * n) << progress;
    EXPECT_NEAR(departed, n * std::min(1.f, progress / sigma), 0.015 * n) << progress;
  }
}

// Steps 3 to 7 of one particle in double precision, written from the
// description alone (no smoke); `axial` receives the distance from the z
// axis that the bulge divides by.
Vec referenceFlight(const ink::AssembleParams& P, Vec input, std::uint64_t g, double& axial) {
  auto draw = [&](std::uint32_t k) { return double(ink::assembleDraw(g, k, P.seedMix)); };
  const ink::AssembleShape& shape = P.shape[P.shapeCount == 2 && draw(9) < 0.5 ? 1 : 0];
  double a = 2 * draw(1) - 1, b = 2 * draw(2) - 1, c = 2 * draw(3) - 1;
  if (shape.ellipsoid) {
    const double rho = std::sqrt(std::max(0.0, 1 - c * c)), phi = 2 * M_PI * (0.5 * a + 0.5),
                 tau = std::cbrt(0.5 * b + 0.5);
    a = std::cos(phi) * rho * tau;
    b = std::sin(phi) * rho * tau;
    c *= tau;
  }
  double s[3];
  for (int k = 0; k < 3; ++k) {
    auto comp = [k](Vec v) { return k == 0 ? double(v.x) : k == 1 ? double(v.y) : double(v.z); };
    s[k] = comp(shape.centre) + a * comp(shape.axis[0]) + b * comp(shape.axis[1]) + c * comp(shape.axis[2]);
  }
  const double sigma = std::clamp(double(P.spread), 0.0, 0.98);
  const double lambda = std::clamp((P.progress - sigma * draw(4)) / (1 - sigma), 0.0, 1.0);
  const double e = 6 * std::pow(lambda, 5) - 15 * std::pow(lambda, 4) + 10 * std::pow(lambda, 3);
  const double theta = 2 * M_PI * P.turns;
  const double sx = s[0] * std::cos(-theta) - s[1] * std::sin(-theta), sy = s[0] * std::sin(-theta) + s[1] * std::cos(-theta);
  double qx = e * input.x + (1 - e) * sx, qy = e * input.y + (1 - e) * sy, qz = e * input.z + (1 - e) * s[2];
  const double turn = (1 - e) * theta;
  const double rx = qx * std::cos(turn) - qy * std::sin(turn), ry = qx * std::sin(turn) + qy * std::cos(turn);
  qx = rx;
  qy = ry;
  const double flight = std::sin(M_PI * e);
  axial = std::hypot(qx, qy);
  if (axial > 0.0001) {
    qx *= 1 + P.arc * P.radius * flight / axial;
    qy *= 1 + P.arc * P.radius * flight / axial;
  }
  const double wander = 2 * P.noise * P.radius * flight;
  qx += (draw(6) - 0.5) * wander;
  qy += (draw(7) - 0.5) * wander;
  qz += (draw(8) - 0.5) * wander;
  return {float(qx), float(qy), float(qz)};
}

TEST_F(AssembleTest, MidFlightParticlesFollowTheSpiralBulgeAndWanderAsDescribed) {
  ink::AssembleParams P = twoShapes(0.45f, 0.3f);
  P.smoke = 0.f;
  P.turns = -2.3f;  // a negative spiral turns the other way
  P.arc = 1.2f;
  const std::vector<Vec> in = orbPositions(4000);
  const std::int64_t first = ink::groupIdBase(ink::kSwirlGroup);
  const std::vector<Vec> out = runKernel(P, in, first);
  int midway = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    double axial = 0.0;
    const Vec want = referenceFlight(P, in[i], static_cast<std::uint64_t>(first) + i, axial);
    if (axial < 1.0) continue;  // near the axis the bulge magnifies rounding
    ASSERT_NEAR(out[i].x, want.x, 2e-3f) << i;
    ASSERT_NEAR(out[i].y, want.y, 2e-3f) << i;
    ASSERT_NEAR(out[i].z, want.z, 2e-3f) << i;
    midway += !sameBits(out[i], in[i]) && std::fabs(out[i].x) < 60.f;
  }
  EXPECT_GT(midway, 500);  // the comparison covers particles in flight, not only the ends
}

TEST_F(AssembleTest, SmokeIsADivergenceFreeCurlScaledBySmokeThatDriftsWithTime) {
  ink::AssembleParams P = twoShapes(0.5f, 0.f);
  // The displacement field is the curl of a potential: no divergence.
  double divergence = 0.0, slope = 0.0;
  const float h = 0.02f;
  for (int i = 0; i < 200; ++i) {
    const Vec q{23.f * std::sin(0.7f * i), 31.f * std::cos(1.3f * i), 17.f * std::sin(0.29f * i)};
    float amplitudes = 0.f;
    auto at = [&](Vec d) { return ink::assembleSmokeCurl(P, q + d, amplitudes); };
    const double dx = (at({h, 0, 0}).x - at({-h, 0, 0}).x) / (2 * h);
    const double dy = (at({0, h, 0}).y - at({0, -h, 0}).y) / (2 * h);
    const double dz = (at({0, 0, h}).z - at({0, 0, -h}).z) / (2 * h);
    EXPECT_FLOAT_EQ(amplitudes, 1.75f);
    divergence += std::fabs(dx + dy + dz);
    slope += std::fabs(dx) + std::fabs(dy) + std::fabs(dz);
  }
  EXPECT_LT(divergence, 0.01 * slope);

  // The displacement is smoke × R × sin(πe) × curl / 1.75 on top of the path.
  const std::vector<Vec> in = orbPositions(500);
  P.spread = 0.f;
  P.smoke = 0.f;
  const std::vector<Vec> plain = runKernel(P, in, 0);
  P.smoke = 3.f;
  const std::vector<Vec> smoky = runKernel(P, in, 0);
  for (std::size_t i = 0; i < in.size(); ++i) {
    float amplitudes = 0.f;
    const float e = ink::assembleEase(P, i);
    const Vec curl = ink::assembleSmokeCurl(P, plain[i], amplitudes) * (3.f * 50.f * std::sin(util::kPi * e) / 1.75f);
    ASSERT_NEAR(smoky[i].x - plain[i].x, curl.x, 5e-3f) << i;
    ASSERT_NEAR(smoky[i].y - plain[i].y, curl.y, 5e-3f) << i;
  }
  // It drifts with time.
  P.time += 0.5f;
  EXPECT_NE(runKernel(P, in, 0)[3], smoky[3]);
}

TEST_F(AssembleTest, TheHostMorphIsTheKernelBitForBit) {
  ink::AssembleParams P = twoShapes(0.37f, 0.6f);
  constexpr int n = 5000;
  const std::vector<Vec> in = orbPositions(n);
  const std::int64_t first = ink::groupIdBase(ink::kPrtGroup);
  const std::vector<Vec> device = runKernel(P, in, first);
  // The viewport's copy: the last n points of a list, as group 3's particles 0 … n − 1.
  std::vector<Point3> points(7, Point3(1, 2, 3));
  for (const Vec& p : in) points.emplace_back(p.x, p.y, p.z);
  ink::morphLastPoints(P, ink::kPrtGroup, points, in.size());
  EXPECT_EQ(points.size(), 7u + n);  // the count never changes
  EXPECT_EQ(points[6], Point3(1, 2, 3));
  const bool cpu = std::string(gpu::backendName()) == "cpu";
  for (int i = 0; i < n; ++i) {
    const Vec host{points[7 + i].x, points[7 + i].y, points[7 + i].z};
    if (cpu) {
      ASSERT_TRUE(sameBits(host, device[i])) << i;
      ASSERT_TRUE(sameBits(ink::assembleMorph(P, in[i], static_cast<std::uint64_t>(first + i)), device[i])) << i;
    } else {  // the card's sine and cosine round differently
      ASSERT_NEAR(host.x, device[i].x, 1e-2f) << i;
      ASSERT_NEAR(host.z, device[i].z, 1e-2f) << i;
    }
  }
}

// The wrapper around an inner source that streams `positions` in two
// batches the way the engines do, with every other channel set.
struct WrapperTest : AssembleTest {
  static constexpr std::int64_t kCount = 1000, kSplit = 600;
  std::vector<Vec> positions = orbPositions(static_cast<int>(kCount));
  gpu::DeviceArray<Vec> devicePositions;
  const float* weights = reinterpret_cast<const float*>(0x1000);
  const Vec* rest = reinterpret_cast<const Vec*>(0x2000);
  const Vec* colours = reinterpret_cast<const Vec*>(0x3000);
  ink::AssembleParams P = twoShapes(0.4f, 0.5f);
  std::int64_t tag = ink::groupIdBase(ink::kSwirlGroup);

  void SetUp() override {
    ASSERT_TRUE(devicePositions.reserve(kCount));
    ASSERT_EQ(ink::upload(devicePositions.data(), positions.data(), kCount), gpu::Success);
  }
  ink::ChunkSource inner(bool reportsStops = true) {
    return [this, reportsStops](const ink::ChunkSink& sink, std::string& error) {
      for (std::int64_t a : {std::int64_t{0}, kSplit}) {
        ink::Chunk c;
        c.positions = devicePositions.data() + a;
        c.weights = weights;
        c.count = (a == 0 ? kSplit : kCount) - a;
        c.first = a;
        c.rest = rest;
        c.kind = 1;
        c.colours = colours;
        if (reportsStops) {
          gpu::FirstError device;
          if (!ink::deliverBatch(device, sink, c, error)) return false;
        } else if (!sink(c)) {
          return false;  // leaves no text
        }
      }
      return true;
    };
  }
};

TEST_F(WrapperTest, BatchesAreMorphedByTheirTagAndFirstIndexInOneReusedBuffer) {
  ink::AssembleStage stage;
  const ink::ChunkSource wrapped = stage.wrap(inner(), P, tag);
  std::vector<Vec> seen;
  auto collect = [&](const ink::Chunk& c) {
    EXPECT_EQ(c.weights, weights);
    EXPECT_EQ(c.rest, rest);
    EXPECT_EQ(c.colours, colours);
    EXPECT_EQ(c.emission, nullptr);
    EXPECT_EQ(c.kind, 1);
    EXPECT_EQ(c.first, static_cast<std::int64_t>(seen.size()));
    EXPECT_NE(c.positions, devicePositions.data() + c.first);
    std::vector<Vec> batch(static_cast<std::size_t>(c.count));
    EXPECT_EQ(ink::download(batch.data(), c.positions, c.count), gpu::Success);
    seen.insert(seen.end(), batch.begin(), batch.end());
    return true;
  };
  std::string error;
  ASSERT_TRUE(wrapped(collect, error)) << error;
  const std::vector<Vec> expected = runKernel(P, positions, tag);
  ASSERT_EQ(seen, expected);
  EXPECT_EQ(stage.capacity(), kSplit);  // grown to the largest batch

  // The next stream allocates nothing: an allocation failure would show.
  gpu::faults::failAllocation(1);
  seen.clear();
  ASSERT_TRUE(wrapped(collect, error)) << error;
  EXPECT_EQ(seen, expected);

  // A record that moves nothing hands the inner batches on untouched.
  ink::AssembleParams still = P;
  still.progress = 1.f;
  int batches = 0;
  ASSERT_TRUE(stage.wrap(inner(), still, tag)([&](const ink::Chunk& c) {
    EXPECT_EQ(c.positions, devicePositions.data() + c.first);
    return ++batches > 0;
  }, error));
  EXPECT_EQ(batches, 2);
}

TEST_F(WrapperTest, FailuresReachTheOuterTextWhateverTheInnerSourceLeaves) {
  const auto accept = [](const ink::Chunk&) { return true; };
  for (bool reportsStops : {true, false}) {
    ink::AssembleStage stage;
    std::string error;
    gpu::faults::failAllocation(1);
    EXPECT_FALSE(stage.wrap(inner(reportsStops), P, tag)(accept, error));
    EXPECT_EQ(error, "GPU out of memory (assemble)");
    EXPECT_EQ(stage.capacity(), 0);

    error.clear();
    gpu::faults::failLaunch(1);
    EXPECT_FALSE(stage.wrap(inner(reportsStops), P, tag)(accept, error));
    EXPECT_EQ(error, "launch failed");
  }
  // A consumer that stops keeps the inner source's own text.
  ink::AssembleStage stage;
  std::string error;
  EXPECT_FALSE(stage.wrap(inner(), P, tag)([](const ink::Chunk&) { return false; }, error));
  EXPECT_EQ(error, "streaming stopped by the consumer");
}

}  // namespace
