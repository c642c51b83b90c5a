// The velocity field's mathematics: the noise gradient, a divergence-free
// flow, the wall ramp and the track interpolation.
#include <gtest/gtest.h>

#include <random>

#include "InkSimFixtures.h"
#include "ink/sim/InkVelocity.h"

namespace {

orb::Vec randomPointInBall(std::mt19937& rng, float r) {
  std::uniform_real_distribution<float> u(-1.f, 1.f);
  for (;;) {
    const orb::Vec p{u(rng), u(rng), u(rng)};
    if (dot(p, p) <= 1.f) return p * r;
  }
}

}  // namespace

TEST(FlowField, NoiseGradientIsTheDerivativeOfTheValueAndCornersAreZero) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(-20.f, 20.f);
  const double h = 1e-3;
  for (int i = 0; i < 200; ++i) {
    const orb::Vec q{u(rng), u(rng), u(rng)};
    const auto s = ink::gradientNoise<float>(q, 1234u + i);
    const orb::Vec axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const float grad[3] = {s.gradient.x, s.gradient.y, s.gradient.z};
    for (int a = 0; a < 3; ++a) {
      const double fd = (ink::gradientNoise<float>(q + axes[a] * float(h), 1234u + i).value -
                         ink::gradientNoise<float>(q - axes[a] * float(h), 1234u + i).value) / (2 * h);
      EXPECT_NEAR(grad[a], fd, 2e-2) << "axis " << a << " at sample " << i;
    }
    EXPECT_LE(std::fabs(s.value), 1.5f);
  }
  EXPECT_EQ(ink::gradientNoise<float>({3, -2, 5}, 99u).value, 0.f);
}

TEST(FlowField, VelocityIsDivergenceFreeAwayFromTheWall) {
  ink::Params p = inktest::defaultParams(1);
  const std::vector<ink::Tube> track = inktest::defaultTrack(p);
  std::mt19937 rng(11);
  const float h = 0.01f;
  for (int i = 0; i < 300; ++i) {
    // Deeper than one soft width: the wall ramp leaves the field alone there.
    const orb::Vec q = randomPointInBall(rng, 0.85f * p.radius);
    const float tau = 0.37f * i;
    auto v = [&](orb::Vec x) { return ink::velocity(p, track.data(), x, tau); };
    const double div = (v(q + orb::Vec{h, 0, 0}).x - v(q - orb::Vec{h, 0, 0}).x + v(q + orb::Vec{0, h, 0}).y -
                        v(q - orb::Vec{0, h, 0}).y + v(q + orb::Vec{0, 0, h}).z - v(q - orb::Vec{0, 0, h}).z) /
                       (2 * h);
    // Against the size of the velocity gradient, which is of order |v| / core.
    const double scale = std::abs((v(q + orb::Vec{h, 0, 0}).y - v(q - orb::Vec{h, 0, 0}).y) / (2 * h)) + 1.0;
    EXPECT_LT(std::abs(div), 2e-2 * scale) << "at sample " << i;
  }
}

TEST(FlowField, WallRampStopsTheFlowAtAndBeyondTheWallAndKeepsItDeepInside) {
  ink::Params p = inktest::defaultParams(1);
  const std::vector<ink::Tube> track = inktest::defaultTrack(p);
  const float R = p.radius;
  for (float r : {R, 1.01f * R, 3.f * R}) {
    const orb::Vec v = ink::velocity(p, track.data(), {0.6f * r, 0.f, 0.8f * r}, 1.f);
    EXPECT_EQ(v, (orb::Vec{0, 0, 0})) << r;
  }
  // The ramp is continuous: just inside the wall the flow has almost stopped.
  const orb::Vec dir{0.6f, 0.f, 0.8f};
  EXPECT_LT(length(ink::velocity(p, track.data(), dir * (0.99999f * R), 1.f)), 0.05f);
  EXPECT_GT(length(ink::velocity(p, track.data(), dir * (0.9f * R), 1.f)), 1.f);
  // Deeper than one soft width: exactly the unramped field (same potential, no wall term).
  ink::Params farWall = p;
  farWall.radius = 50.f;
  farWall.wallSoftness = 0.01f;
  const orb::Vec deep{5, -7, 11};
  EXPECT_EQ(ink::velocity(p, track.data(), deep, 2.f), ink::velocity(farWall, track.data(), deep, 2.f));
}

TEST(FlowField, TubesInterpolateAlongTheTrackHoldTheLastFrameAndWrapWithTheLoop) {
  ink::Params p = inktest::defaultParams(1);
  p.curlStrength = 0.f;
  p.spin = 0.f;
  p.fps = 10.f;
  p.loopSeconds = 4.f;
  p.tubesPerFrame = 1;
  p.trackFrames = 3;
  p.trackStart = 0.f;
  const orb::Vec axis{0, 0, 1};
  std::vector<ink::Tube> track = {{{0, 0, 0}, axis, 10.f, 5.f, 0, 0, 0},
                                  {{4, 0, 0}, axis, 20.f, 5.f, 0, 0, 0},
                                  {{8, 0, 0}, axis, 30.f, 5.f, 0, 0, 0}};
  auto expected = [&](orb::Vec centre, float s, orb::Vec q) {
    const orb::Vec d = q - centre;
    const orb::Vec rp{d.x, d.y, 0};
    return cross(axis, rp) * (s * std::exp(-dot(rp, rp) / 25.f) / 25.f);
  };
  const orb::Vec q{3, 2, 0};
  auto near = [](orb::Vec a, orb::Vec b) { return length(a - b) < 1e-4f * (1 + length(b)); };
  EXPECT_TRUE(near(ink::velocity(p, track.data(), q, 0.05f), expected({2, 0, 0}, 15.f, q)));   // half a frame
  EXPECT_TRUE(near(ink::velocity(p, track.data(), q, 0.25f), expected({8, 0, 0}, 30.f, q)));   // past the end
  EXPECT_TRUE(near(ink::velocity(p, track.data(), q, 4.05f), expected({2, 0, 0}, 15.f, q)));   // next loop
  p.loop = 0;
  EXPECT_TRUE(near(ink::velocity(p, track.data(), q, 4.05f), expected({8, 0, 0}, 30.f, q)));
  EXPECT_TRUE(near(ink::velocity(p, track.data(), q, -1.f), expected({0, 0, 0}, 10.f, q)));  // before the start
  // A tube without a core contributes nothing instead of dividing by zero.
  for (auto& t : track) t.core = 0.f;
  EXPECT_EQ(ink::velocity(p, track.data(), {0, 0, 0}, 0.05f), (orb::Vec{0, 0, 0}));
}

TEST(FlowField, SpinTurnsAboutTheAxisAtItsRate) {
  ink::Params p = inktest::defaultParams(1);
  p.curlStrength = 0.f;
  p.spin = 0.5f;
  const orb::Vec v = ink::velocity(p, nullptr, {10, 0, 3}, 0.f);
  EXPECT_NEAR(v.x, 0.f, 1e-6f);
  EXPECT_NEAR(v.y, 5.f, 1e-5f);
  EXPECT_NEAR(v.z, 0.f, 1e-6f);
}

TEST(FlowField, SphereDistanceGradientAndItsCentreFallback) {
  ink::Params p = inktest::defaultParams(1);
  EXPECT_EQ(ink::sdfGrad(p, {0, 3, 4}), (orb::Vec{0, 0.6f, 0.8f}));
  EXPECT_EQ(ink::sdfGrad(p, {0, 0, 0}), (orb::Vec{0, 0, 1}));
  EXPECT_FLOAT_EQ(ink::containerDistance(p, {0, 30, 40}), 0.f);
}

TEST(FlowField, NoiseGradientsAreTheSixteenOfImprovedNoise) {
  const float expected[16][3] = {{1, 1, 0},  {-1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {1, 0, 1},  {-1, 0, 1},
                                 {1, 0, -1}, {-1, 0, -1}, {0, 1, 1},  {0, -1, 1},  {0, 1, -1}, {0, -1, -1},
                                 {1, 1, 0},  {0, -1, 1}, {-1, 1, 0}, {0, -1, -1}};
  for (std::uint32_t h = 0; h < 16; ++h)
    EXPECT_EQ(ink::noiseGradient(h), (orb::Vec{expected[h][0], expected[h][1], expected[h][2]})) << h;
}
