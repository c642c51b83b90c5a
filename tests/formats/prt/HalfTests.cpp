// Float16 conversions: the writer's rounding is part of the file format, the
// reader's decoding must be full IEEE.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "formats/prt/Half.h"

using prt::floatToHalf;
using prt::halfToFloat;

TEST(FloatToHalf, TinyMagnitudesBecomeSignedZero) {
  EXPECT_EQ(floatToHalf(1e-5f), 0x0000);
  EXPECT_EQ(floatToHalf(-1e-5f), 0x8000);
  EXPECT_EQ(floatToHalf(std::nextafter(0x1p-14f, 0.0f)), 0x0000);  // no subnormals written
  EXPECT_EQ(floatToHalf(0x1p-14f), 0x0400);                         // smallest normal half
  EXPECT_EQ(floatToHalf(-0.0f), 0x8000);
}

TEST(FloatToHalf, LargeMagnitudesInfinitiesAndNaNsBecomeSignedInfinity) {
  EXPECT_EQ(floatToHalf(70000.0f), 0x7C00);
  EXPECT_EQ(floatToHalf(-70000.0f), 0xFC00);
  EXPECT_EQ(floatToHalf(65536.0f), 0x7C00);
  EXPECT_EQ(floatToHalf(std::numeric_limits<float>::infinity()), 0x7C00);
  EXPECT_EQ(floatToHalf(-std::numeric_limits<float>::infinity()), 0xFC00);
  EXPECT_EQ(floatToHalf(std::numeric_limits<float>::quiet_NaN()), 0x7C00);
  EXPECT_EQ(floatToHalf(-std::numeric_limits<float>::quiet_NaN()), 0xFC00);
}

TEST(FloatToHalf, RoundsToNearestTiesAwayFromZeroWithCarryIntoTheExponent) {
  EXPECT_EQ(floatToHalf(1.9999999f), 0x4000);               // carries to 2.0
  EXPECT_EQ(floatToHalf(1.0f + 0x1p-11f), 0x3C01);          // exact tie rounds away from zero
  EXPECT_EQ(floatToHalf(-(1.0f + 0x1p-11f)), 0xBC01);
  EXPECT_EQ(floatToHalf(std::nextafter(1.0f + 0x1p-11f, 0.0f)), 0x3C00);
  EXPECT_EQ(floatToHalf(65504.0f), 0x7BFF);                 // largest half
  EXPECT_EQ(floatToHalf(65519.0f), 0x7BFF);                 // below the tie
  EXPECT_EQ(floatToHalf(65520.0f), 0x7C00);                 // the tie carries into infinity
  EXPECT_EQ(floatToHalf(1.0f), 0x3C00);
  EXPECT_EQ(floatToHalf(-2.5f), 0xC100);
  EXPECT_EQ(floatToHalf(0.1f), 0x2E66);
}

TEST(HalfToFloat, DecodesEveryClassOfValue) {
  EXPECT_EQ(halfToFloat(0x3C00), 1.0f);
  EXPECT_EQ(halfToFloat(0xC100), -2.5f);
  EXPECT_EQ(halfToFloat(0x7BFF), 65504.0f);
  EXPECT_EQ(halfToFloat(0x0001), 0x1p-24f);  // smallest subnormal
  EXPECT_EQ(halfToFloat(0x03FF), 1023 * 0x1p-24f);
  EXPECT_EQ(halfToFloat(0x8001), -0x1p-24f);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(halfToFloat(0x8000)), 0x80000000u);
  EXPECT_EQ(halfToFloat(0x7C00), std::numeric_limits<float>::infinity());
  EXPECT_EQ(halfToFloat(0xFC00), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(halfToFloat(0x7E00)));
  EXPECT_TRUE(std::isnan(halfToFloat(0xFC01)));
}

TEST(HalfToFloat, EveryNormalHalfSurvivesTheRoundTrip) {
  for (std::uint32_t h = 0; h <= 0xFFFF; ++h) {
    const std::uint32_t exponent = (h >> 10) & 0x1F;
    if (exponent == 0 || exponent == 31) continue;
    ASSERT_EQ(floatToHalf(halfToFloat(static_cast<std::uint16_t>(h))), h) << std::hex << h;
  }
}
