// Frame file names, frame times and the progress text of the batch drivers.
#include <gtest/gtest.h>

#include <climits>

#include "ink/FrameNaming.h"
#include "ink/drivers/FrameProgress.h"

namespace {

TEST(FrameNaming, HashesOrANumberBeforeTheLastDot) {
  EXPECT_EQ(ink::frameFileName("out/ink.####.png", 7), "out/ink.0007.png");
  EXPECT_EQ(ink::frameFileName("out/ink.prt", 12), "out/ink_0012.prt");
  EXPECT_EQ(ink::frameFileName("out/ink.prt", -5), "out/ink_-005.prt");
  EXPECT_EQ(ink::frameFileName("out.v2/ink", 3), "out_0003.v2/ink");  // the last dot of the whole pattern, even a folder's
  EXPECT_EQ(ink::frameFileName("renders/orb", 123456), "renders/orb_123456");
  EXPECT_EQ(ink::frameFileName("a####b####.exr", 1), "a0001b####.exr");  // only the first run
  EXPECT_EQ(ink::frameFileName("####", 42), "0042");
  EXPECT_EQ(ink::frameFileName("###", 4), "###_0004");  // too short for hashes
}

TEST(FrameNaming, ExrEndingIgnoresCase) {
  EXPECT_TRUE(ink::endsWithExr("beauty.EXR"));
  EXPECT_TRUE(ink::endsWithExr(".exr"));
  EXPECT_FALSE(ink::endsWithExr("exr"));
  EXPECT_FALSE(ink::endsWithExr("beauty.exr.png"));
}

TEST(FrameNaming, TimesAreComputedInSixtyFourBits) {
  EXPECT_EQ(ink::frameTime(-3, 160), -480);
  EXPECT_EQ(ink::frameTime(13421772, 160), 2147483520);
  EXPECT_FALSE(ink::frameTime(13421773, 160).has_value());  // would wrap in 32 bits
  EXPECT_FALSE(ink::frameTime(INT_MAX, 1).has_value());      // the infinities are not times
  EXPECT_EQ(ink::frameRangeError(0, 100, 160), "");
  EXPECT_EQ(ink::frameRangeError(0, 20000000, 160), "frame 20000000 is outside the time range");
  EXPECT_EQ(ink::frameRangeError(-20000000, 0, 160), "frame -20000000 is outside the time range");
  EXPECT_EQ(ink::frameRangeError(INT_MIN + 1, INT_MAX - 1, 1), "the frame range -2147483647 to 2147483646 is too long");
}

TEST(FrameProgress, TextCountsFramesAndPercent) {
  EXPECT_EQ(ink::progressText("Tessaron Orb Ink: rendering", 3, 10, 12),
            "Tessaron Orb Ink: rendering  3 / 10  (30%)  frame 12  -  ESC cancels");
  // done × 100 does not overflow for long ranges.
  EXPECT_EQ(ink::progressText("T", 2000000000, 2100000000, -7), "T  2000000000 / 2100000000  (95%)  frame -7  -  ESC cancels");
}

}  // namespace
