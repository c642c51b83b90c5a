// What an evaluation hands the engines before it runs them: the ink
// engine's record read from the block, and which file of a PRT sequence a
// frame reads, at what stride, under which reload key.
#include <gtest/gtest.h>

#include "host/sdk/Interface.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkObject.h"
#include "ink/InkParams.h"
#include "ink/InkSimParams.h"
#include "ink/PrtSequence.h"

namespace {

namespace pid = ink::param;

InkObject* newInk() { return static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE))); }

}  // namespace

TEST(InkSimParamsTest, EveryParameterFieldComesFromItsParameter) {
  InkObject* ink = newInk();
  IParamBlock2& pb = *ink->pblock2;
  // Distinct values inside every range, so a field read from the wrong
  // parameter shows.
  pb.SetValue(pid::radius, 0, 31.5f);
  pb.SetValue(pid::seed, 0, 977);
  pb.SetValue(pid::sheetAmount, 0, 0.25f);
  pb.SetValue(pid::shellAmount, 0, 0.125f);
  pb.SetValue(pid::volumeAmount, 0, 0.375f);
  pb.SetValue(pid::meshAmount, 0, 2.5f);
  pb.SetValue(pid::sheetCount, 0, 11);
  pb.SetValue(pid::sheetSize, 0, 0.75f);
  pb.SetValue(pid::sheetThickness, 0, 0.004f);
  pb.SetValue(pid::sheetWarp, 0, 1.75f);
  pb.SetValue(pid::blobAmount, 0, 3.25f);
  pb.SetValue(pid::blobCount, 0, 9);
  pb.SetValue(pid::blobSize, 0, 0.15f);
  pb.SetValue(pid::substeps, 0, 5);
  pb.SetValue(pid::loopSeconds, 0, 12.5f);
  pb.SetValue(pid::loop, 0, false);
  pb.SetValue(pid::startFrame, 0, -45);
  pb.SetValue(pid::timeScale, 0, 1.5f);
  pb.SetValue(pid::curlStrength, 0, 7.25f);
  pb.SetValue(pid::curlScale, 0, 0.625f);
  pb.SetValue(pid::curlOctaves, 0, 4);
  pb.SetValue(pid::curlEvolve, 0, 0.875f);
  pb.SetValue(pid::wallSoftness, 0, 0.2f);
  pb.SetValue(pid::spin, 0, -0.5f);

  const ink::Params p = ink::inkSimParams(pb, 0, 30.f);
  EXPECT_EQ(p.radius, 31.5f);
  EXPECT_EQ(p.seed, 977);
  EXPECT_EQ(p.sheetAmount, 0.25f);
  EXPECT_EQ(p.shellAmount, 0.125f);
  EXPECT_EQ(p.volumeAmount, 0.375f);
  EXPECT_EQ(p.meshAmount, 2.5f);
  EXPECT_EQ(p.sheetCount, 11);
  EXPECT_EQ(p.sheetSize, 0.75f);
  EXPECT_EQ(p.sheetThickness, 0.004f);
  EXPECT_EQ(p.sheetWarp, 1.75f);
  EXPECT_EQ(p.blobAmount, 3.25f);
  EXPECT_EQ(p.blobCount, 9);
  EXPECT_EQ(p.blobSize, 0.15f);
  EXPECT_EQ(p.fps, 30.f);
  EXPECT_EQ(p.substeps, 5);
  EXPECT_EQ(p.loopSeconds, 12.5f);
  EXPECT_EQ(p.loop, 0);
  EXPECT_EQ(p.startTime, -1.5f);  // start frame / fps
  EXPECT_EQ(p.timeScale, 1.5f);
  EXPECT_EQ(p.curlStrength, 7.25f);
  EXPECT_EQ(p.curlScale, 0.625f);
  EXPECT_EQ(p.curlOctaves, 4);
  EXPECT_EQ(p.curlEvolve, 0.875f);
  EXPECT_EQ(p.wallSoftness, 0.2f);
  EXPECT_TRUE(p.spinAxis == (orb::Vec{0.f, 0.f, 1.f}));
  EXPECT_EQ(p.spin, -0.5f);
  // What the evaluation and the gathering fill stays empty.
  EXPECT_EQ(p.count, 0);
  EXPECT_EQ(p.tubesPerFrame, 0);
  EXPECT_EQ(p.trackFrames, 0);
  EXPECT_EQ(p.trackStart, 0.f);
  EXPECT_EQ(p.triangleCount, 0);
  EXPECT_EQ(p.grid, nullptr);
  EXPECT_EQ(p.gridRes, 0);

  pb.SetValue(pid::loop, 0, true);
  EXPECT_EQ(ink::inkSimParams(pb, 0, 24.f).loop, 1);
  EXPECT_EQ(ink::inkSimParams(pb, 0, 24.f).startTime, -45.f / 24.f);
  ink->DeleteThis();
}

TEST(PrtSequenceTest, AFrameReadsItsFileOfTheSequence) {
  // ink_0012.prt with frame offset 3 at frame 10 reads frame 13.
  EXPECT_EQ(ink::prtFrameFileName("/shots/a/ink_0012.prt", 10 + 3), "/shots/a/ink_0013.prt");
  // "####" takes the frame at four digits, and only the first one does.
  EXPECT_EQ(ink::prtFrameFileName("/shots/ink.####.prt", 7), "/shots/ink.0007.prt");
  EXPECT_EQ(ink::prtFrameFileName("ink.####.####.prt", 12345), "ink.12345.####.prt");
  EXPECT_EQ(ink::prtFrameFileName("ink.####.prt", -3), "ink.-003.prt");
  // The last digit run of the file name keeps its width; a wider frame prints whole.
  EXPECT_EQ(ink::prtFrameFileName("C:\\seq9\\ink_07.prt", 123), "C:\\seq9\\ink_123.prt");
  EXPECT_EQ(ink::prtFrameFileName("ink_0012_v2.prt", 5), "ink_0012_v5.prt");
  // Digits only in the folders, or none at all: every frame reads the same file.
  EXPECT_EQ(ink::prtFrameFileName("/shot12/take3\\ink.prt", 40), "/shot12/take3\\ink.prt");
  EXPECT_EQ(ink::prtFrameFileName("ink.prt", 40), "ink.prt");
  EXPECT_EQ(ink::prtFrameFileName("", 40), "");
  // A run wider than any printed number is padded, never cut short.
  EXPECT_EQ(ink::prtFrameFileName("f" + std::string(40, '1') + ".prt", 9), "f" + std::string(39, '0') + "9.prt");
}

TEST(PrtSequenceTest, TheStrideKeepsAFileWithinTheLimit) {
  EXPECT_EQ(ink::prtStride(10000000, 300000), 34);
  EXPECT_EQ(ink::prtStride(600, 300), 2);
  EXPECT_EQ(ink::prtStride(601, 300), 3);
  EXPECT_EQ(ink::prtStride(300, 300), 1);
  EXPECT_EQ(ink::prtStride(10000000, 0), 1);  // 0 reads every particle
  EXPECT_EQ(ink::prtStride(0, 300), 1);
}

TEST(PrtSequenceTest, TheKeyChangesWithEverythingThatChangesTheParticles) {
  const float identity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_EQ(ink::prtInputKey("/s/ink_0013.prt", 34, true, false, identity),
            "/s/ink_0013.prt|34|1|0|1.000000|0.000000|0.000000|0.000000|1.000000|0.000000|0.000000|0.000000|"
            "1.000000|0.000000|0.000000|0.000000|");
  const std::string key = ink::prtInputKey("a.prt", 1, true, true, identity);
  EXPECT_NE(ink::prtInputKey("a.prt", 1, false, true, identity), key);  // only the colour flag differs
  EXPECT_NE(ink::prtInputKey("a.prt", 1, true, false, identity), key);
  EXPECT_NE(ink::prtInputKey("a.prt", 2, true, true, identity), key);
  const float moved[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 2.5f};
  EXPECT_NE(ink::prtInputKey("a.prt", 1, true, true, moved), key);
}
