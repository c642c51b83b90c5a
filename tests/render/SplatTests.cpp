// One particle through splatImage's body: footprints that sum to the
// particle's amount, culling, the colour chain and the light. Every check
// has its closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RenderFixtures.h"
#include "ink/render/Raster.h"
#include "ink/render/RenderHashes.h"
#include "ink/render/Splat.h"

namespace {

constexpr int W = 40, H = 30;

// A one-particle splat with empty (zero) grids of 32³ cells over ±300.
struct OneParticle {
  ink::SplatArgs args = rendertest::plainSplat(W, H);
  ink::GridInfo grid{32, 300.f, 18.75f};
  std::vector<float> zeroGrid = std::vector<float>(32 * 32 * 32, 0.f);
  std::vector<float> lightGrid = zeroGrid, viewGrid = zeroGrid, density = zeroGrid;
  rendertest::HostAccumulators acc{W, H};
  orb::Vec position{0, 0, 0};
  float weight = 1.f;
  std::uint64_t idBase = 0;

  // Places the particle at pixel (x, y) and view depth z.
  void at(float x, float y, float z) {
    const ink::Camera& c = args.camera;
    const float u = (2.f * (x + 0.5f) / W - 1.f) * c.tanHalfFov * z;
    const float v = (1.f - 2.f * (y + 0.5f) / H) * args.tanHalfFovY * z;
    position = c.eye + c.forward * z + c.right * u + c.up * v;
  }
  // The amount the particle carries: mass per unit screen area at depth z.
  float amount(float z) const {
    const float s = 2.f * z * args.camera.tanHalfFov / W;
    return weight * args.sourceWeight / (s * s);
  }
  void splat() {
    const ink::SplatInputs in{&position, &weight, grid, lightGrid.data(), viewGrid.data(), nullptr, 0, nullptr,
                              idBase, density.data(), nullptr, nullptr};
    ink::splatParticle(args, in, 0, acc.accumulator());
  }
  double extinction() const { return acc.sum(3); }  // amount × σR summed over pixels, σR = 1
};

TEST(SplatFootprint, BilinearAndDiscFootprintsSumToAmountTimesBrightness) {
  for (float size : {1.f, 1.5f, 4.f, 9.f}) {
    OneParticle p;
    p.args.pointSize = size;
    p.args.pointBrightness = 0.7f;
    p.args.pointSoftness = 0.5f;
    p.at(20.3f, 14.6f, 150.f);
    p.splat();
    EXPECT_NEAR(p.extinction(), p.amount(150.f) * 0.7, 1e-4 * p.amount(150.f)) << size;
  }
}

TEST(SplatFootprint, AHardDiscSharesItsBrightnessEquallyAndAHalfOffScreenOneKeepsItsOnScreenShare) {
  OneParticle p;
  p.args.pointSize = 2.f;  // r = 1: the centre and its four neighbours
  p.args.pointSoftness = 0.f;
  p.at(10.f, 10.f, 100.f);
  p.splat();
  const float each = p.amount(100.f) / 5.f;
  for (auto [x, y] : {std::pair{10, 10}, {9, 10}, {11, 10}, {10, 9}, {10, 11}})
    EXPECT_NEAR(p.acc.image[6 * (y * W + x) + 3], each, 1e-5f * each);
  EXPECT_EQ(p.acc.image[6 * (9 * W + 9) + 3], 0.f);

  // r = 2 on the left edge: 9 of the disc's 13 pixels are on the image.
  OneParticle edge;
  edge.args.pointSize = 4.f;
  edge.args.pointSoftness = 0.f;
  edge.at(0.f, 15.f, 100.f);
  edge.splat();
  EXPECT_NEAR(edge.extinction(), edge.amount(100.f) * 9.0 / 13.0, 1e-4 * edge.amount(100.f));

  // Bilinear half a pixel off the left edge: half the amount.
  OneParticle half;
  half.at(-0.5f, 15.f, 100.f);
  half.splat();
  EXPECT_NEAR(half.extinction(), 0.5 * half.amount(100.f), 1e-4 * half.amount(100.f));
}

TEST(SplatCull, DepthLimitScreenBoundsWeightAndBadNumbers) {
  auto deposited = [](auto place) {
    OneParticle p;
    place(p);
    p.splat();
    return p.extinction();
  };
  EXPECT_GT(deposited([](OneParticle& p) { p.at(20.f, 15.f, 0.001f); }), 0.0);
  EXPECT_EQ(deposited([](OneParticle& p) { p.at(20.f, 15.f, 0.0009f); }), 0.0);
  EXPECT_EQ(deposited([](OneParticle& p) { p.at(-1.2f, 15.f, 50.f); }), 0.0);
  EXPECT_GT(deposited([](OneParticle& p) { p.at(W - 0.2f, 15.f, 50.f); }), 0.0);
  EXPECT_EQ(deposited([](OneParticle& p) { p.at(W + 0.2f, 15.f, 50.f); }), 0.0);
  EXPECT_EQ(deposited([](OneParticle& p) {
              p.at(20.f, 15.f, 50.f);
              p.weight = 1e-5f;
            }),
            0.0);
  EXPECT_EQ(deposited([](OneParticle& p) { p.position = {NAN, 0.f, 0.f}; }), 0.0);
  EXPECT_EQ(deposited([](OneParticle& p) {
              p.at(20.f, 15.f, 50.f);
              p.weight = NAN;
            }),
            0.0);
}

TEST(SplatCull, ParticlesBehindAMatteOrASceneSurfaceDepositNothing) {
  std::vector<float> mattes(2 * W * H, ink::kEmptyDepth), scene(W * H, ink::kEmptyDepth);
  mattes[2 * (15 * W + 20)] = 40.f;
  scene[15 * W + 10] = 40.f;
  auto deposited = [&](float x, float z) {
    OneParticle p;
    p.args.matteDepth = mattes.data();
    p.args.sceneDepth = scene.data();
    p.at(x, 15.f, z);
    p.splat();
    return p.extinction();
  };
  EXPECT_EQ(deposited(20.f, 41.f), 0.0);
  EXPECT_GT(deposited(20.f, 39.f), 0.0);
  EXPECT_EQ(deposited(10.2f, 41.f), 0.0);  // nearest pixel of 10.2 is 10
  EXPECT_GT(deposited(30.f, 41.f), 0.0);
}

TEST(SplatShading, LightIsShadowedByTheLightGridAndColourAttenuatedByTheViewGrid) {
  OneParticle p;
  p.args.absorb = {0.5f, 1.f, 1.5f};  // mean 1
  p.args.shadow = 2.f;
  p.args.lights.count = 1;
  p.args.lights.direction[0] = {0, 0, 1};
  p.args.lights.colour[0] = {1, 1, 1};
  p.args.ambient = {0.1f, 0.1f, 0.1f};
  std::fill(p.lightGrid.begin(), p.lightGrid.end(), 0.3f);
  std::fill(p.viewGrid.begin(), p.viewGrid.end(), 0.2f);
  p.at(20.f, 15.f, 80.f);
  p.splat();
  const float light = 0.1f + std::exp(-1.f * 0.3f * 2.f);
  const orb::Vec sigma = p.args.absorb;
  const float expected[3] = {light * std::exp(-sigma.x * 0.2f), light * std::exp(-sigma.y * 0.2f),
                             light * std::exp(-sigma.z * 0.2f)};
  for (int c = 0; c < 3; ++c) {
    // colour / extinction of the same pixel cancels the amount.
    EXPECT_NEAR(p.acc.sum(c) / p.acc.sum(3 + c), expected[c] / (&sigma.x)[c], 1e-4f) << c;
  }
}

TEST(SplatColour, ColoursBecomeAbsorptionAndTheChainKeepsItsOrder) {
  const orb::Vec white = ink::absorptionOf({1, 1, 1});
  EXPECT_EQ(white.x, 0.f);
  EXPECT_NEAR(ink::absorptionOf({0.001f, 0.5f, 2.f}).x, -0.508f * std::log(0.01f), 1e-6f);
  EXPECT_NEAR(ink::absorptionOf({0.001f, 0.5f, 2.f}).y, -0.508f * std::log(0.5f), 1e-6f);

  ink::SplatArgs a = rendertest::plainSplat(W, H);
  a.colorBy = ink::kByHeight;
  a.colorByMin = 0.f;
  a.colorByMax = 10.f;
  a.colorStrength = 1.f;
  a.rampStart = {1, 0, 0};
  a.rampEnd = {0, 0, 1};
  const ink::ParticleView at5{{0, 0, 5}, nullptr, 50.f, 0, nullptr, nullptr};
  const ink::InkColour ramp = ink::particleColour(a, at5, nullptr, 0, nullptr, 0, 0.f);
  EXPECT_NEAR(ramp.scatter.x, 0.5f, 1e-6f);
  EXPECT_NEAR(ramp.scatter.z, 0.5f, 1e-6f);
  // A particle colour replaces what the ramp made.
  const orb::Vec own{0.2f, 0.9f, 0.4f};
  const ink::InkColour coloured = ink::particleColour(a, at5, nullptr, 0, &own, 0, 0.f);
  EXPECT_EQ(coloured.scatter, own);
  // The plume tint applies to group 4 only.
  a.plumeTint = 1;
  a.plumeColour = {0.3f, 0.3f, 0.3f};
  a.group = 4;
  EXPECT_EQ(ink::particleColour(a, at5, nullptr, 0, nullptr, 0, 0.f).scatter, a.plumeColour);
  a.group = 0;
  EXPECT_NEAR(ink::particleColour(a, at5, nullptr, 0, nullptr, 0, 0.f).scatter.x, 0.5f, 1e-6f);
}

TEST(SplatColour, AgeOfOddParticlesRunsHalfALoopOutOfPhase) {
  ink::SplatArgs a = rendertest::plainSplat(W, H);
  a.colorBy = ink::kByAge;
  a.inkParams.loop = 1;
  a.inkParams.loopSeconds = 4.f;
  a.time = 5.f;
  ink::ParticleView even{{0, 0, 0}, nullptr, 1.f, 10, nullptr, nullptr};
  ink::ParticleView odd = even;
  odd.id = 11;
  EXPECT_NEAR(ink::colourByValue(a, even), 1.f, 1e-6f);
  EXPECT_NEAR(ink::colourByValue(a, odd), 3.f, 1e-6f);
  a.inkParams.loop = 0;
  a.inkParams.startTime = 2.f;
  EXPECT_NEAR(ink::colourByValue(a, odd), 3.f, 1e-6f);
  a.group = 1;
  EXPECT_EQ(ink::colourByValue(a, odd), 0.f);
}

TEST(SplatColour, TheColourMapWrapsAcrossAndClampsDown) {
  // 2 × 2 map: red, green / blue, white.
  const std::vector<float> map{1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
  const orb::Vec centre00 = ink::sampleColourMap(map.data(), 2, 2, 0.25f, 0.25f);
  EXPECT_EQ(centre00, (orb::Vec{1, 0, 0}));
  EXPECT_EQ(ink::sampleColourMap(map.data(), 2, 2, 1.25f, -3.f), (orb::Vec{1, 0, 0}));  // u wraps, v clamps
  const orb::Vec seam = ink::sampleColourMap(map.data(), 2, 2, 0.f, 0.25f);  // between column 1 and column 0
  EXPECT_NEAR(seam.x, 0.5f, 1e-6f);
  EXPECT_NEAR(seam.y, 0.5f, 1e-6f);
  EXPECT_EQ(ink::sampleColourMap(map.data(), 0, 2, 0.5f, 0.5f), (orb::Vec{0, 0, 0}));
}

TEST(SplatPasses, CoverageWeightedChannelsAndMasks) {
  OneParticle p;
  p.args.passes = p.acc.passes.data();
  p.args.group = 1;
  p.args.assemble.on = 1;
  p.args.assemble.shapeCount = 1;
  p.at(20.f, 15.f, 60.f);
  p.splat();
  const double alpha = p.acc.sum(14, 15);
  EXPECT_NEAR(alpha, p.amount(60.f), 1e-4 * alpha);  // σ = 1 on every channel
  EXPECT_NEAR(p.acc.sum(3, 15) / alpha, 60.0, 1e-3);  // depth
  EXPECT_NEAR(p.acc.sum(10, 15), alpha, 1e-4 * alpha);  // group 1's mask
  EXPECT_EQ(p.acc.sum(9, 15), 0.0);
  EXPECT_NEAR(p.acc.sum(12, 15), alpha, 1e-4 * alpha);  // the only assemble source
  // A flat (empty) density field: the normal faces the camera, N.Z = 1.
  EXPECT_NEAR(p.acc.sum(8, 15) / alpha, 1.0, 1e-3);
}

TEST(RenderHashes, DrawsStayInTheirRanges) {
  EXPECT_EQ(ink::jitterHash(0), 0.f);
  for (std::uint32_t i = 1; i < 5000; i += 7) {
    const float j = ink::jitterHash(i), s = ink::sourceHash(std::uint64_t{i} << 40, 42 * 7919 + 13);
    const ink::PhotonDraw d = ink::photonHash(i);
    ASSERT_TRUE(j >= 0.f && j <= 1.f && s >= 0.f && s < 1.f && d.a >= 0.f && d.a < 1.f && d.b >= 0.f && d.b < 1.f);
  }
}

}  // namespace
