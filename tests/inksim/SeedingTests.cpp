// Seeding as a pure function of the record and the particle index: source
// choice, the shapes' distributions, the loop's two populations and the
// reseed rules of one particle's advance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "InkSimFixtures.h"
#include "ink/sim/InkAdvance.h"

namespace {

// Kolmogorov-Smirnov distance of the samples from the uniform law on [0, 1).
double ksUniform(std::vector<double> x) {
  std::sort(x.begin(), x.end());
  double d = 0;
  const double n = static_cast<double>(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) d = std::max({d, (i + 1) / n - x[i], x[i] - i / n});
  return d;
}
// Critical distance at the 0.1 % level.
double ksLimit(std::size_t n) { return 1.95 / std::sqrt(static_cast<double>(n)); }

ink::Params only(float sheet, float shell, float volume, float blob, float mesh) {
  ink::Params p = inktest::defaultParams(1);
  p.sheetAmount = sheet;
  p.shellAmount = shell;
  p.volumeAmount = volume;
  p.blobAmount = blob;
  p.meshAmount = mesh;
  return p;
}

ink::Seed seedOf(const ink::Params& p, std::int64_t g, const ink::Tri* tris = nullptr, const float* areas = nullptr) {
  return ink::seedParticle(p, tris, areas, ink::indexHash(g));
}

constexpr int kSamples = 20000;

}  // namespace

TEST(Seeding, DrawsAreTwentyFourBitUniformsFromTheIntegerHash) {
  EXPECT_EQ(util::mix32(0u), 0u);
  EXPECT_EQ(ink::indexHash(0), 0u);
  EXPECT_EQ(ink::indexHash(1), 1u);
  EXPECT_EQ(ink::indexHash(1ll << 32), 0x9E3779B1u);
  EXPECT_EQ(ink::indexHash((3ll << 32) + 5), (3u * 0x9E3779B1u) ^ 5u);
  std::vector<double> u;
  for (std::uint32_t k = 0; k < kSamples; ++k) u.push_back(ink::draw(17u, 0xBAAA2801u, k * ink::kGolden));
  EXPECT_LT(ksUniform(u), ksLimit(u.size()));
  EXPECT_LT(*std::max_element(u.begin(), u.end()), 1.0);
}

TEST(Seeding, VolumeSeedsFillTheBallOfNinetyFivePercentUniformly) {
  const ink::Params p = only(0, 0, 1, 0, 0);
  const double rMax = 0.95 * p.radius;
  std::vector<double> cube;
  orb::Vec mean{0, 0, 0};
  for (int i = 0; i < kSamples; ++i) {
    const ink::Seed s = seedOf(p, i);
    EXPECT_EQ(s.weight, 1.f);
    cube.push_back(std::pow(length(s.position) / rMax, 3.0));
    mean += s.position * (1.f / kSamples);
  }
  EXPECT_LT(ksUniform(cube), ksLimit(cube.size()));
  EXPECT_LT(*std::max_element(cube.begin(), cube.end()), 1.0 + 1e-5);
  EXPECT_LT(length(mean), 0.02f * p.radius);
}

TEST(Seeding, ShellSeedsLieInTheirRadiusBand) {
  const ink::Params p = only(0, 1, 0, 0, 0);
  float lo = INFINITY, hi = 0;
  for (int i = 0; i < kSamples; ++i) {
    const float r = length(seedOf(p, i).position);
    lo = std::min(lo, r);
    hi = std::max(hi, r);
  }
  EXPECT_GE(lo, 0.955f * p.radius * 0.99999f);
  EXPECT_LE(hi, 0.985f * p.radius * 1.00001f);
  EXPECT_LT(lo, 0.956f * p.radius);
  EXPECT_GT(hi, 0.984f * p.radius);
}

TEST(Seeding, SheetWeightsFadeAsOneMinusRhoToTheFourthAndSheetsStayInside) {
  ink::Params p = only(1, 0, 0, 0, 0);
  std::vector<double> rhoSquared;
  for (int i = 0; i < kSamples; ++i) {
    const ink::Seed s = seedOf(p, i);
    EXPECT_LE(length(s.position), 0.96f * p.radius * 1.00001f);
    rhoSquared.push_back(std::sqrt(std::max(0.0, 1.0 - s.weight)));  // rho^2 is uniform
  }
  EXPECT_LT(ksUniform(rhoSquared), ksLimit(rhoSquared.size()));
  // Without sheets their share goes to the shell.
  p.sheetCount = 0;
  for (int i = 0; i < 100; ++i) EXPECT_GE(length(seedOf(p, i).position), 0.955f * p.radius * 0.99999f);
}

TEST(Seeding, AllParticlesOfOneBlobShareItsCentre) {
  ink::Params p = only(0, 0, 0, 1, 0);
  p.loop = 0;  // one population, one blob
  p.blobCount = 1;
  p.blobSize = 0.01f;
  orb::Vec mean{0, 0, 0};
  std::vector<orb::Vec> seeds;
  for (int i = 0; i < 2000; ++i) seeds.push_back(seedOf(p, i).position);
  for (const orb::Vec& s : seeds) mean += s * (1.f / seeds.size());
  for (const orb::Vec& s : seeds) EXPECT_LT(length(s - mean), 6 * 0.014f * p.radius);
}

TEST(Seeding, SourceSharesFollowTheAmountsAndMeshesNeedTriangles) {
  const std::vector<ink::Tri> tris = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 5}, {3, 0, 5}, {0, 2, 5}}};
  const std::vector<float> areas = {0.5f / 3.5f, 1.f};  // areas 0.5 and 3
  auto onMesh = [&](orb::Vec q) { return (q.z == 0.f || q.z == 5.f) && q.x >= 0 && q.y >= 0 && q.x + q.y <= 3.f; };

  // All amounts zero: every particle is a mesh particle when there are
  // triangles, else a blob particle.
  ink::Params zero = only(0, 0, 0, 0, 0);
  zero.triangleCount = 2;
  int upper = 0;
  for (int i = 0; i < kSamples; ++i) {
    const orb::Vec q = seedOf(zero, i, tris.data(), areas.data()).position;
    ASSERT_TRUE(onMesh(q)) << i;
    upper += q.z == 5.f;
  }
  EXPECT_NEAR(upper / double(kSamples), 3.0 / 3.5, 0.01);  // area-weighted
  zero.triangleCount = 0;
  ink::Params blobs = only(0, 0, 0, 1, 0);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seedOf(zero, i).position, seedOf(blobs, i).position);

  // A mesh amount without triangles is dropped from the total.
  ink::Params volume = only(0, 0, 1, 0, 5);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seedOf(volume, i).position, seedOf(only(0, 0, 1, 0, 0), i).position);
  volume.triangleCount = 2;
  int meshCount = 0;
  for (int i = 0; i < kSamples; ++i) meshCount += onMesh(seedOf(volume, i, tris.data(), areas.data()).position);
  EXPECT_NEAR(meshCount / double(kSamples), 5.0 / 6.0, 0.01);
}

TEST(Seeding, LoopPopulationsFadeInAntiphaseAndRestartEveryPeriod) {
  ink::Params p = inktest::defaultParams(1);
  const float L = p.loopSeconds;
  for (float t : {0.f, 1.3f, 4.5f, 7.9f, 20.2f}) {
    const ink::CycleTime even = ink::cycleTime(p, 2u, t), odd = ink::cycleTime(p, 3u, t);
    EXPECT_NEAR(even.fade + odd.fade, 1.f, 1e-5f) << t;
    EXPECT_NEAR(even.local, std::fmod(t, L), 1e-4f);
    EXPECT_NEAR(odd.local, std::fmod(t + 0.5f * L, L), 1e-4f);
  }
  // The odd half draws from its own seed base.
  EXPECT_NE(ink::seedBase(p, 2u), ink::seedBase(p, 3u));
  p.loop = 0;
  EXPECT_EQ(ink::seedBase(p, 2u), ink::seedBase(p, 3u));
  p.startTime = 2.f;
  const ink::CycleTime before = ink::cycleTime(p, 3u, 1.f);
  EXPECT_EQ(before.local, 0.f);
  EXPECT_EQ(before.fade, 1.f);
}

TEST(Seeding, ReseedRulesOfOneParticle) {
  ink::Params p = inktest::defaultParams(1);
  p.loop = 0;
  const ink::FlowInputs none{nullptr, nullptr, nullptr};
  const std::int64_t g = 12345;
  const orb::Vec seed = seedOf(p, g).position;
  const orb::Vec stored{1, 2, 3};
  // Before the start time a particle sits at its seed with its source weight.
  p.startTime = 1.f;
  const ink::Particle waiting = ink::advanceParticle(p, none, stored, g, 0.f, 0.5f, true);
  EXPECT_EQ(waiting.position, seed);
  EXPECT_EQ(waiting.weight, seedOf(p, g).weight);
  const ink::Particle fresh = ink::advanceParticle(p, none, stored, g, 0.5f, 0.5f, false);
  EXPECT_EQ(fresh.position, seed);
  EXPECT_EQ(fresh.weight, seedOf(p, g).weight);
  p.startTime = 0.f;
  // Going back in time, or jumping farther than the particle has lived, reseeds.
  const ink::Particle a = ink::advanceParticle(p, none, stored, g, 0.f, 0.5f, false);
  EXPECT_EQ(ink::advanceParticle(p, none, stored, g, 0.7f, 0.5f, true).position, a.position);
  ink::Params looped = inktest::defaultParams(1);
  const ink::Particle b = ink::advanceParticle(looped, none, stored, g, 0.f, 0.5f, false);
  EXPECT_EQ(ink::advanceParticle(looped, none, stored, g, 0.25f, 0.5f + looped.loopSeconds, true).position,
            b.position);
  // A continuing particle integrates on from where it is.
  EXPECT_NE(ink::advanceParticle(p, none, stored, g, 0.25f, 0.5f, true).position, a.position);
}

TEST(Seeding, GuidedPickEqualsThePlainHalvingForOneDrawAndForPacks) {
  // Running sums with a dominant entry, runs of equal entries (tiny areas
  // lost in float) and a last entry of 1; draws at and next to every cell
  // boundary of the guide and at both ends of [0, 1).
  std::vector<float> table;
  float sum = 0.f;
  for (int i = 0; i < 1000; ++i) table.push_back(sum += (i == 17 ? 400.f : (i % 7 == 0 ? 1e-9f : 1.f)));
  for (float& t : table) t /= sum;
  table.back() = 1.f;
  const std::vector<std::int32_t> guide = ink::pickGuide(table);
  const ink::GuidedPick pick{table.data(), guide.data(), ink::guideCells(table.size())};
  std::vector<float> draws = {0.f, std::nextafter(1.f, 0.f), table[17], std::nextafter(table[17], 0.f)};
  for (int k = 0; k <= pick.cells; ++k) {
    const float edge = static_cast<float>(k) / static_cast<float>(pick.cells);
    for (float u : {std::nextafter(edge, 0.f), edge, std::nextafter(edge, 1.f)})
      if (u >= 0.f && u < 1.f) draws.push_back(u);
  }
  const auto count = static_cast<std::int32_t>(table.size());
  for (std::size_t first = 0; first < draws.size(); first += util::lanes::kLanes) {
    const util::lanes::Floats u =
        util::lanes::gatherFloats([&](int l) { return draws[std::min(first + l, draws.size() - 1)]; });
    const util::lanes::Ints packed = pick(u);
    for (int l = 0; l < util::lanes::kLanes; ++l) {
      const std::int32_t plain = ink::pickTriangle(table.data(), count, u[l]);
      ASSERT_EQ(pick(u[l]), plain) << u[l];
      ASSERT_EQ(packed[l], plain) << u[l];
    }
  }
}
