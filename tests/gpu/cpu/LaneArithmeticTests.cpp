// Packs against the scalar operations they stand for: the exact operations
// give the scalar bits lane for lane, awkward values included; the
// polynomial logarithm, sine and cosine keep their stated error bounds over
// every float they take.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>
#include <vector>

#include "util/LaneMath.h"

namespace {

namespace lanes = util::lanes;
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

const std::vector<float> kAwkward = {0.f,  -0.f,      0.5f,       -0.5f,      1.f,        -1.f,   1.5f,   -2.5f,
                                     -1e-30f, 1e-45f,  -1e-45f,    8388607.5f, -8388607.5f, 8388608.f, -8388609.f,
                                     1e30f, -1e30f,    kInf,       -kInf,      kNaN,        0.9999999f, -0.9999999f,
                                     123456.7f, -3.f};

std::uint32_t bits(float x) { return __builtin_bit_cast(std::uint32_t, x); }

lanes::Floats packOf(std::initializer_list<float> values) {
  lanes::Floats p(0.f);
  int l = 0;
  for (float v : values) p.v[l++] = v;
  return p;
}

// Applies `pack` to the values eight at a time and compares each lane's bits
// with `scalar` of the same value.
template <class Pack, class Scalar>
void expectLaneBits(const std::vector<float>& a, const std::vector<float>& b, Pack pack, Scalar scalar,
                    const char* what) {
  for (std::size_t first = 0; first < a.size(); first += lanes::kLanes) {
    lanes::Floats x, y;
    for (int l = 0; l < lanes::kLanes; ++l) {
      x.v[l] = a[(first + l) % a.size()];
      y.v[l] = b[(first + l) % b.size()];
    }
    const lanes::Floats r = pack(x, y);
    for (int l = 0; l < lanes::kLanes; ++l)
      EXPECT_EQ(bits(r.v[l]), bits(scalar(x.v[l], y.v[l]))) << what << " of " << x.v[l] << ", " << y.v[l];
  }
}

TEST(LaneArithmetic, ExactOperationsGiveTheScalarBits) {
  std::vector<float> shifted(kAwkward.begin() + 3, kAwkward.end());
  shifted.insert(shifted.end(), kAwkward.begin(), kAwkward.begin() + 3);
  expectLaneBits(kAwkward, shifted, [](lanes::Floats x, lanes::Floats) { return lanes::floor(x); },
                 [](float x, float) { return std::floor(x); }, "floor");
  expectLaneBits(kAwkward, shifted, [](lanes::Floats x, lanes::Floats) { return lanes::sqrt(x); },
                 [](float x, float) { return std::sqrt(x); }, "sqrt");
  expectLaneBits(kAwkward, shifted, [](lanes::Floats x, lanes::Floats y) { return lanes::min(x, y); },
                 [](float x, float y) { return std::fmin(x, y); }, "min");
  expectLaneBits(kAwkward, shifted, [](lanes::Floats x, lanes::Floats y) { return lanes::max(x, y); },
                 [](float x, float y) { return std::fmax(x, y); }, "max");
  expectLaneBits(kAwkward, shifted, [](lanes::Floats x, lanes::Floats y) { return x * y - x / y; },
                 [](float x, float y) { return x * y - x / y; }, "arithmetic");
  // Conversions within the int range.
  const std::vector<float> whole = {0.f, -0.7f, 0.7f, -1.5f, 2.5f, 16777215.f, -2147483520.f, 2147483520.f};
  expectLaneBits(whole, whole,
                 [](lanes::Floats x, lanes::Floats) { return lanes::toFloat(lanes::truncateToInt(x)); },
                 [](float x, float) { return static_cast<float>(static_cast<std::int32_t>(x)); }, "truncation");
}

// Distance of `value` from the exact `reference` in units of the float
// spacing at the reference.
double ulps(float value, double reference) {
  const float r = static_cast<float>(reference);
  const double spacing = r == 0.f ? 1.4e-45 : std::nextafter(std::fabs(r), kInf) - std::fabs(r);
  return std::fabs(value - reference) / spacing;
}

TEST(LaneArithmetic, LogarithmWithinOneUlpOfEveryPositiveFloat) {
  std::mt19937 random(7);
  double worst = 0.;
  for (int pack = 0; pack < 200000; ++pack) {
    lanes::Floats x;
    for (int l = 0; l < lanes::kLanes; ++l) {
      const std::uint32_t b = random() % 0x7F800000u;  // positive finite, subnormals included
      x.v[l] = __builtin_bit_cast(float, b == 0 ? 1u : b);
    }
    const lanes::Floats y = lanes::log(x);
    for (int l = 0; l < lanes::kLanes; ++l) worst = std::max(worst, ulps(y.v[l], std::log(double{x.v[l]})));
  }
  EXPECT_LE(worst, 1.0);
  const lanes::Floats special = lanes::log(packOf({0.f, -1.f, kInf, kNaN, 1.f, 1e-7f, -0.f, 2.f}));
  EXPECT_EQ(special[0], -kInf);
  EXPECT_TRUE(std::isnan(special[1]));
  EXPECT_EQ(special[2], kInf);
  EXPECT_TRUE(std::isnan(special[3]));
  EXPECT_EQ(special[4], 0.f);
  EXPECT_NEAR(special[5], std::log(1e-7), 2e-6);
  EXPECT_EQ(special[6], -kInf);
}

TEST(LaneArithmetic, SineAndCosineWithinTheirBoundsAndThePlatformsBeyond) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> wide(-lanes::kPolyTrigLimit, lanes::kPolyTrigLimit), turn(-7.f, 7.f);
  double worst = 0.;
  auto error = [](float value, double exact) {
    return std::fabs(exact) < 0.25 && std::fabs(value - exact) <= 0x1p-26 ? 0. : ulps(value, exact);
  };
  for (int pack = 0; pack < 200000; ++pack) {
    lanes::Floats x, s, c;
    for (int l = 0; l < lanes::kLanes; ++l) x.v[l] = pack % 2 ? wide(random) : turn(random);
    lanes::sinCos(x, s, c);
    for (int l = 0; l < lanes::kLanes; ++l) {
      worst = std::max(worst, error(s.v[l], std::sin(double{x.v[l]})));
      worst = std::max(worst, error(c.v[l], std::cos(double{x.v[l]})));
    }
  }
  EXPECT_LE(worst, 2.0);
  // Lanes past the limit take the platform's values; the others keep theirs.
  const lanes::Floats x = packOf({1e5f, -3e7f, kInf, kNaN, 0.f, -0.f, 1.f, 8192.f});
  lanes::Floats s, c;
  lanes::sinCos(x, s, c);
  for (int l = 0; l < 4; ++l) {
    EXPECT_EQ(bits(s[l]), bits(std::sin(x[l]))) << x[l];
    EXPECT_EQ(bits(c[l]), bits(std::cos(x[l]))) << x[l];
  }
  EXPECT_EQ(bits(s[4]), bits(0.f));
  EXPECT_EQ(bits(s[5]), bits(-0.f));
  EXPECT_EQ(c[4], 1.f);
  EXPECT_NEAR(s[6], std::sin(1.0), 1e-7);
}

TEST(LaneArithmetic, ExponentialWithinOneUlpOverTheNormalRange) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> normal(-87.3f, 88.7f), flow(-14.f, 0.f);
  double worst = 0.;
  for (int pack = 0; pack < 200000; ++pack) {
    lanes::Floats x;
    for (int l = 0; l < lanes::kLanes; ++l) x.v[l] = pack % 2 ? normal(random) : flow(random);
    const lanes::Floats y = lanes::exp(x);
    for (int l = 0; l < lanes::kLanes; ++l) worst = std::max(worst, ulps(y.v[l], std::exp(double{x.v[l]})));
  }
  EXPECT_LE(worst, 1.0);
  const lanes::Floats special = lanes::exp(packOf({0.f, -100.f, 100.f, kNaN, 88.72f, -kInf, kInf, 1.f}));
  EXPECT_EQ(special[0], 1.f);
  EXPECT_EQ(special[1], 0.f);
  EXPECT_EQ(special[2], kInf);
  EXPECT_TRUE(std::isnan(special[3]));
  EXPECT_LE(ulps(special[4], std::exp(double{88.72f})), 1.0);
  EXPECT_EQ(special[5], 0.f);
  EXPECT_EQ(special[6], kInf);
}

}  // namespace
