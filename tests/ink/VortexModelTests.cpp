// The procedural vortex track: the model's hashes, a whirlpool and inner
// vortices against values worked out from the model's formulas in double
// precision, the frame range, and the evening of frames to one tube count.
#include <gtest/gtest.h>

#include <cmath>

#include "ink/VortexModel.h"

namespace {

void expectNear(orb::Vec v, double x, double y, double z, double tolerance) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

}  // namespace

TEST(VortexModelTest, HashesMatchHandWorkedValues) {
  EXPECT_EQ(ink::vortexL(0u), 0u);
  // x = 1: (1 ^ 0) × K1 = 0x7FEB352D; ^ (x >> 15) = 0x7FEBCAFB; × K2 = 0x6889F849.
  EXPECT_EQ(ink::vortexL(1u), 0x6889F849u);
  EXPECT_EQ(ink::vortexH(1u, 2u), 0xCEB77429u);
  EXPECT_FLOAT_EQ(ink::vortexU(0xCEB77429u), 0.7176913022994995f);
  // The top 16 bits fold into the low 24: all ones gives 0xFF0000 / 2^24.
  EXPECT_EQ(ink::vortexU(0xFFFFFFFFu), 0.99609375f);
  EXPECT_EQ(ink::vortexU(0u), 0.f);
}

TEST(VortexModelTest, OneWhirlpoolSitsOnTheEquatorAndWandersWithTheLoop) {
  ink::VortexModel model;  // seed 42, R 50, loop 9 s
  model.surfaceCount = 1;
  model.volumeCount = 0;
  std::vector<ink::Tube> frame;
  ink::appendModelTubes(model, 0.f, frame);
  ASSERT_EQ(frame.size(), 1u);
  const ink::Tube& t = frame[0];
  expectNear(t.axis, 0.6520446039879636, -0.6466150843354092, -0.3958873161899631, 2e-6);
  EXPECT_NEAR(t.core, 24.386629428293073, 2e-5);  // R tan 26°
  EXPECT_NEAR(t.strength, -390.18607085268917, 4e-4);
  EXPECT_EQ(t.kind, 1);
  EXPECT_FLOAT_EQ(t.a, 0.4f);
  EXPECT_FLOAT_EQ(t.b, 0.76f);
  EXPECT_TRUE(t.centre == (orb::Vec{0, 0, 0}));

  frame.clear();
  ink::appendModelTubes(model, 1.25f, frame);
  expectNear(frame[0].axis, 0.5714854994036161, -0.6608384541468044, -0.48651501671814956, 2e-6);
  // One loop later the whirlpool is back where it was.
  frame.clear();
  ink::appendModelTubes(model, 9.f + 1.25f, frame);
  expectNear(frame[0].axis, 0.5714854994036161, -0.6608384541468044, -0.48651501671814956, 2e-5);
}

TEST(VortexModelTest, InnerVorticesFollowTheModelAndComeAfterTheWhirlpools) {
  ink::VortexModel model;
  model.surfaceCount = 3;
  model.volumeCount = 2;
  std::vector<ink::Tube> frame;
  ink::appendModelTubes(model, 0.f, frame);
  ASSERT_EQ(frame.size(), 5u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(frame[i].kind, 1);
  const ink::Tube& first = frame[3];
  EXPECT_EQ(first.kind, 2);
  expectNear(first.centre, -2.7491901407107013, -5.055552142355344, 9.525632964075008, 2e-5);
  expectNear(first.axis, -0.009308481294194388, -0.69305315961711, -0.7208263800116754, 2e-6);
  EXPECT_FLOAT_EQ(first.strength, 225.f);  // sign × 15 × (R / 50) × R × 0.3
  EXPECT_FLOAT_EQ(first.core, 15.f);
  EXPECT_FLOAT_EQ(first.a, 30.f);
  EXPECT_EQ(first.b, 0.f);
  expectNear(frame[4].centre, 0.272334702339678, 8.944964457688455, 3.0237668336097365, 2e-5);
  expectNear(frame[4].axis, 0.7016203674474586, -0.4464436883909746, -0.5553529446025793, 2e-6);
  for (const ink::Tube& t : frame) EXPECT_NEAR(length(t.axis), 1.f, 1e-6);
}

TEST(VortexModelTest, TrackRangeLoopsOrRunsToTheLatestFrame) {
  const ink::TrackRange loop = ink::trackRange(true, 9.f, 30.f, 12, 500, 90);
  EXPECT_EQ(loop.first, 0);
  EXPECT_EQ(loop.last, 270);
  EXPECT_EQ(loop.frames(), 271);
  EXPECT_EQ(loop.startSeconds, 0.f);
  EXPECT_EQ(ink::trackRange(true, 0.51f, 24.f, 0, 0, 0).last, 12);  // 12.24 + 0.5 truncates to 12

  const ink::TrackRange open = ink::trackRange(false, 9.f, 30.f, -15, 40, 90);
  EXPECT_EQ(open.first, -15);
  EXPECT_EQ(open.last, 90);
  EXPECT_EQ(open.startSeconds, -0.5f);
  EXPECT_EQ(ink::trackRange(false, 9.f, 30.f, -15, 120, 90).last, 120);
  EXPECT_EQ(ink::trackRange(false, 9.f, 30.f, 200, 120, 90).last, 200);
}

TEST(VortexModelTest, LaterFramesKeepTheFirstFramesTubeCount) {
  ink::Tube live = ink::inertTube();
  live.strength = 3.f;
  live.kind = 2;
  const std::vector<std::vector<ink::Tube>> frames = {{live, live}, {live, live, live}, {live}, {}};
  std::int32_t perFrame = -1;
  const std::vector<ink::Tube> track = ink::evenTrack(frames, perFrame);
  EXPECT_EQ(perFrame, 2);
  ASSERT_EQ(track.size(), 8u);
  EXPECT_EQ(track[3].strength, 3.f);  // the second frame is cut to two
  EXPECT_EQ(track[4].strength, 3.f);
  for (int i : {5, 6, 7}) {  // short frames are filled with inert tubes
    EXPECT_EQ(track[i].kind, 0);
    EXPECT_EQ(track[i].strength, 0.f);
    EXPECT_EQ(track[i].core, 1.f);
    EXPECT_TRUE(track[i].axis == (orb::Vec{0, 0, 1}));
    EXPECT_EQ(track[i].a, 1.f);
    EXPECT_EQ(track[i].b, 1.f);
  }
  std::int32_t none = -1;
  EXPECT_TRUE(ink::evenTrack({}, none).empty());
  EXPECT_EQ(none, 0);
}
