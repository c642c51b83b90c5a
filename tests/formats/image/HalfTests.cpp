// Float to half conversion of the EXR writer: the hand-computed cases, then
// agreement with OpenEXR's own half everywhere its rounding rule (to even)
// and ours (half up) cannot differ.
#include <gtest/gtest.h>

#include <Imath/half.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "formats/image/Half.h"

namespace formats {
namespace {

float fromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

TEST(HalfFromFloat, HandComputedValues) {
  EXPECT_EQ(halfFromFloat(1.f), 0x3C00);
  EXPECT_EQ(halfFromFloat(-2.f), 0xC000);
  EXPECT_EQ(halfFromFloat(0.f), 0x0000);
  EXPECT_EQ(halfFromFloat(65504.f), 0x7BFF);        // largest half
  EXPECT_EQ(halfFromFloat(0x1p-14f), 0x0400);       // smallest normal half
  EXPECT_EQ(halfFromFloat(0x1p-24f), 0x0001);       // smallest subnormal half
  EXPECT_EQ(halfFromFloat(0x1.8p-24f), 0x0002);     // 1.5 subnormal steps round up
  EXPECT_EQ(halfFromFloat(0x1p-15f), 0x0200);       // largest exponent of the subnormal branch
  EXPECT_EQ(halfFromFloat(-0x1p-20f), 0x8010);
}

TEST(HalfFromFloat, OverflowAndTinyValues) {
  EXPECT_EQ(halfFromFloat(65520.f), 0x7C00);  // the rounding carry reaches infinity
  EXPECT_EQ(halfFromFloat(65519.f), 0x7BFF);
  EXPECT_EQ(halfFromFloat(65536.f), 0x7C00);  // exponent 143 and up
  EXPECT_EQ(halfFromFloat(-1e30f), 0xFC00);
  EXPECT_EQ(halfFromFloat(0x1p-26f), 0x0000);
  EXPECT_EQ(halfFromFloat(0x1.fffffep-26f), 0x0000);  // exponent 101 always flushes
  EXPECT_EQ(halfFromFloat(-0x1p-30f), 0x8000);
  EXPECT_EQ(halfFromFloat(std::numeric_limits<float>::denorm_min()), 0x0000);
}

TEST(HalfFromFloat, SignedZeroInfinityAndNaN) {
  EXPECT_EQ(halfFromFloat(-0.f), 0x8000);
  EXPECT_EQ(halfFromFloat(std::numeric_limits<float>::infinity()), 0x7C00);
  EXPECT_EQ(halfFromFloat(-std::numeric_limits<float>::infinity()), 0xFC00);
  EXPECT_EQ(halfFromFloat(std::numeric_limits<float>::quiet_NaN()), 0x7E00);
  EXPECT_EQ(halfFromFloat(-std::numeric_limits<float>::quiet_NaN()), 0xFE00);
  EXPECT_EQ(halfFromFloat(fromBits(0x7F800001)), 0x7E00);  // signalling payloads are not kept
  EXPECT_EQ(halfFromFloat(fromBits(0xFFFFFFFF)), 0xFE00);
}

TEST(HalfFromFloat, TiesRoundUpInMagnitude) {
  EXPECT_EQ(halfFromFloat(1.f + 0x1p-11f), 0x3C01);   // to even would give 0x3C00
  EXPECT_EQ(halfFromFloat(-(1.f + 0x1p-11f)), 0xBC01);
  EXPECT_EQ(halfFromFloat(0x1p-25f), 0x0001);         // half the smallest subnormal
  EXPECT_EQ(halfFromFloat(0x1.ffep-15f), 0x0400);     // the subnormal carry reaches the normals
  EXPECT_EQ(halfFromFloat(2047.f + 0.5f), 0x6800);    // carry into the next exponent: 2048
}

// A float lies exactly between two halves when every dropped mantissa bit but
// the first is zero and the first is one.
bool isTie(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value) & 0x7FFFFFFFu;
  const std::uint32_t exponent = bits >> 23;
  if (exponent >= 113) return (bits & 0x1FFFu) == 0x1000u;
  if (exponent < 102) return false;
  const std::uint32_t full = (bits & 0x7FFFFFu) | 0x800000u;
  const std::uint32_t dropped = 126 - exponent;
  return (full & ((1u << dropped) - 1)) == (1u << (dropped - 1));
}

TEST(HalfFromFloat, AgreesWithOpenExrAwayFromTies) {
  int compared = 0;
  for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 4093) {
    const float value = fromBits(static_cast<std::uint32_t>(bits));
    if (std::isnan(value) || isTie(value)) continue;
    ASSERT_EQ(halfFromFloat(value), Imath::half(value).bits()) << std::hex << "float bits 0x" << bits;
    ++compared;
  }
  EXPECT_GT(compared, 1000000);
}

TEST(HalfFromFloat, EveryHalfSurvivesTheRoundTrip) {
  for (std::uint32_t h = 0; h <= 0xFFFF; ++h) {
    Imath::half reference;
    reference.setBits(static_cast<std::uint16_t>(h));
    if (reference.isNan()) continue;
    ASSERT_EQ(halfFromFloat(float(reference)), h) << std::hex << h;
  }
}

}  // namespace
}  // namespace formats
