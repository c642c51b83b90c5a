// splatImage's shading on packs of particles against the one-particle body:
// the trilinear grid read gives the same bits, and a run of particles shaded
// as a pack deposits what each particle deposits alone, in the same order.
// Only the exponentials differ (the pack's polynomial is within an ulp of
// expf), so the colour channels agree to a few ulps and everything the
// exponentials do not reach (extinction, depth, motion, normals) is exact.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "RenderFixtures.h"
#include "gpu/LaneLaunch.h"
#include "ink/render/Grid.h"
#include "ink/render/Splat.h"
#include "ink/render/SplatPacks.h"

namespace {

using util::lanes::Floats;
using util::lanes::FloatsVec;
using util::lanes::kLanes;

std::uint32_t bits(float v) {
  std::uint32_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Deterministic values in [lo, hi).
struct Draw {
  std::uint32_t h = 2463534242u;
  float operator()(float lo, float hi) {
    h ^= h << 13;
    h ^= h >> 17;
    h ^= h << 5;
    return lo + (hi - lo) * static_cast<float>(h >> 8) / 16777216.f;
  }
};

TEST(SplatLanes, APackedTrilinearReadGivesTheOnePointBitsInsideOnTheBorderAndOutside) {
  const ink::GridInfo grid{6, 3.f, 1.f};
  std::vector<float> values(6 * 6 * 6);
  Draw draw;
  for (float& v : values) v = draw(-1.f, 1.f);
  std::vector<orb::Vec> points;
  for (int k = 0; k < 400; ++k) points.push_back({draw(-4.5f, 4.5f), draw(-4.5f, 4.5f), draw(-4.5f, 4.5f)});
  for (int k = 0; k < 40; ++k)  // whole packs with every corner inside
    points.push_back({draw(-2.4f, 2.4f), draw(-2.4f, 2.4f), draw(-2.4f, 2.4f)});
  // Cell centres and faces, the first and last centres, far away and not numbers.
  points.insert(points.end(), {{-2.5f, -2.5f, -2.5f}, {2.5f, 2.5f, 2.5f}, {-3.f, 0.f, 0.f}, {3.f, 0.f, 0.f},
                               {0.f, 0.f, 0.f}, {1e30f, 0.f, 0.f}, {NAN, 0.f, 0.f}, {0.f, -INFINITY, 0.f}});
  while (points.size() % kLanes) points.push_back({0.5f, -0.25f, 1.f});
  gpu::atVectorLevel([&]() __attribute__((always_inline)) {
    for (std::size_t first = 0; first < points.size(); first += kLanes) {
      const FloatsVec p = util::lanes::vecsRun<Floats>(points.data() + first, 0);
      const Floats packed = ink::sampleTrilinear(grid, values.data(), p);
      for (int l = 0; l < kLanes; ++l) {
        const float one = ink::sampleTrilinear(grid, values.data(), points[first + l]);
        if (std::isnan(one))
          EXPECT_TRUE(std::isnan(packed[l])) << first + l;
        else
          EXPECT_EQ(bits(packed[l]), bits(one)) << first + l << ": " << packed[l] << " vs " << one;
      }
    }
  });
}

// A cloud of particles in front of a 48 × 36 camera, some culled (no
// weight, NaN weight or position, behind the eye, off the image), over
// non-zero light, view and density grids.
struct Cloud {
  static constexpr int W = 48, H = 36;
  ink::SplatArgs args = rendertest::plainSplat(W, H);
  ink::GridInfo grid{16, 40.f, 5.f};
  std::vector<float> lightGrids, viewGrid, density;
  std::vector<orb::Vec> positions, previous, colours, emission, rest;
  std::vector<float> weights;
  std::vector<float> matte;

  explicit Cloud(std::int64_t n) {
    Draw draw;
    const std::size_t cells = 16 * 16 * 16;
    lightGrids.resize(2 * cells);
    viewGrid.resize(cells);
    density.resize(cells);
    for (std::size_t c = 0; c < cells; ++c) {
      const float x = static_cast<float>(c % 16) - 7.5f, y = static_cast<float>(c / 16 % 16) - 7.5f;
      density[c] = std::fmax(0.f, 1.f - (x * x + y * y) / 64.f) + 0.1f * draw(0.f, 1.f);
      viewGrid[c] = 3.f * density[c];
      lightGrids[c] = 2.f * density[c] + 0.5f;
      lightGrids[cells + c] = draw(0.f, 4.f);
    }
    for (std::int64_t i = 0; i < n; ++i) {
      positions.push_back({draw(-45.f, 45.f), draw(-45.f, 45.f), draw(-30.f, 30.f)});
      previous.push_back(positions.back() + orb::Vec{draw(-1.f, 1.f), draw(-1.f, 1.f), draw(-1.f, 1.f)});
      colours.push_back({draw(0.f, 1.f), draw(0.f, 1.f), draw(0.f, 1.f)});
      emission.push_back({draw(0.f, 0.1f), 0.f, draw(0.f, 0.05f)});
      rest.push_back({draw(-30.f, 30.f), draw(-30.f, 30.f), draw(-30.f, 30.f)});
      weights.push_back(draw(0.f, 2.f));
    }
    weights[3] = 0.f;
    weights[9] = NAN;
    positions[12] = {NAN, 0.f, 0.f};
    positions[20] = {0.f, -300.f, 0.f};  // behind the eye at y = -200
    positions[21] = {500.f, 0.f, 0.f};   // off the image
    matte.assign(2 * W * H, 1e9f);
    for (int p = 0; p < W * H; p += 3) matte[2 * p] = 195.f;  // in front of part of the cloud

    args.absorb = {0.4f, 1.1f, 2.3f};
    args.scatter = {0.9f, 0.6f, 0.3f};
    args.scatterAmount = 0.8f;
    args.shadow = 0.7f;
    args.ambient = {0.05f, 0.06f, 0.07f};
    args.emission = {0.2f, 0.1f, 0.f};
    args.emitAmount = 0.5f;
    args.lights.count = 2;
    args.lights.colour[0] = {1.f, 0.9f, 0.8f};
    args.lights.colour[1] = {0.3f, 0.3f, 0.5f};
    args.sourceWeight = 0.01f;
  }

  ink::SplatInputs inputs(bool perParticle) const {
    return {positions.data(), weights.data(), grid, lightGrids.data(), viewGrid.data(),
            perParticle ? rest.data() : nullptr, 0, perParticle ? previous.data() : nullptr, 1000,
            density.data(), nullptr, perParticle ? emission.data() : nullptr};
  }
};

// Splats every particle one at a time, and in runs of eight (the last one
// short) shaded as packs, and compares the image and pass accumulators.
void expectPacksMatchOneAtATime(const Cloud& cloud, const ink::SplatArgs& args, const ink::SplatInputs& in,
                                const char* what) {
  const auto n = static_cast<std::int64_t>(cloud.positions.size());
  rendertest::HostAccumulators single(Cloud::W, Cloud::H), packed(Cloud::W, Cloud::H);
  for (std::int64_t i = 0; i < n; ++i) ink::splatParticle(args, in, i, single.accumulator());
  gpu::atVectorLevel([&]() __attribute__((always_inline)) {
    const gpu::Accumulator acc = packed.accumulator();
    for (std::int64_t first = 0; first < n; first += kLanes)
      ink::splatParticles(args, in, {{first, static_cast<int>(std::min<std::int64_t>(kLanes, n - first)), 1}, nullptr},
                          acc);
  });
  int inked = 0;
  for (std::size_t k = 0; k < single.image.size(); ++k) {
    const float a = single.image[k], b = packed.image[k];
    inked += a != 0.f;
    if (k % 6 >= 3)  // extinction: no exponential on its way
      ASSERT_EQ(bits(a), bits(b)) << what << " float " << k;
    else
      ASSERT_NEAR(b, a, 1e-6f * std::fabs(a)) << what << " float " << k;
  }
  EXPECT_GT(inked, Cloud::W * Cloud::H) << what;  // most pixels drawn, several channels each
  if (!args.passes) return;
  for (std::size_t k = 0; k < single.passes.size(); ++k) {
    const float a = single.passes[k], b = packed.passes[k];
    if (k % 15 >= 3)  // depth, motion, normal and coverage
      ASSERT_EQ(bits(a), bits(b)) << what << " pass float " << k;
    else
      ASSERT_NEAR(b, a, 1e-6f * std::fabs(a)) << what << " pass float " << k;
  }
}

TEST(SplatLanes, PacksDepositWhatEachParticleDepositsUnderEveryLook) {
  const Cloud cloud(203);
  const std::vector<float> map = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 1};  // 3 × 2 texels

  expectPacksMatchOneAtATime(cloud, cloud.args, cloud.inputs(false), "plain");

  ink::SplatArgs passes = cloud.args;
  std::vector<float> passBuffer(1);
  passes.passes = passBuffer.data();  // only marks the passes on: the accumulators' second target takes them
  passes.falloffOn = 1;
  passes.falloffFace = 1.f;
  passes.falloffEdge = 0.3f;
  passes.falloffPower = 2.f;
  passes.falloffColor = 0.5f;
  passes.falloffEdgeColour = {0.1f, 0.8f, 0.2f};
  passes.group = 1;
  expectPacksMatchOneAtATime(cloud, passes, cloud.inputs(true), "passes, falloff, previous and emission");

  ink::SplatInputs coloured = cloud.inputs(true);
  coloured.colours = cloud.colours.data();
  expectPacksMatchOneAtATime(cloud, cloud.args, coloured, "particle colours");

  ink::SplatArgs mapped = cloud.args;
  mapped.colorMap = map.data();
  mapped.mapWidth = 3;
  mapped.mapHeight = 2;
  mapped.colorStrength = 0.75f;
  mapped.colorScale = 1.f;
  mapped.mapRadius = 40.f;
  mapped.mapAxis = {0.f, 0.f, 1.f};
  mapped.colorSticky = 1;
  for (int mode : {ink::kMapAxis, ink::kMapSphere}) {
    mapped.mapMode = mode;
    expectPacksMatchOneAtATime(cloud, mapped, cloud.inputs(true), "colour map");
  }
  mapped.colorBy = ink::kByDepth;
  mapped.colorByMin = 170.f;
  mapped.colorByMax = 230.f;
  expectPacksMatchOneAtATime(cloud, mapped, cloud.inputs(true), "colour by depth");

  ink::SplatArgs discs = cloud.args;
  discs.pointSize = 4.f;
  discs.pointSoftness = 0.5f;
  discs.pointSizeJitter = 0.5f;
  discs.matteDepth = cloud.matte.data();
  expectPacksMatchOneAtATime(cloud, discs, cloud.inputs(false), "jittered discs behind a matte");
}

}  // namespace
