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
  // Distinct values inside every range, so a field read from the wrong
  // parameter shows.
  struct FloatField {
    ParamID id;
    float ink::Params::*field;
    float value;
  };
  struct IntField {
    ParamID id;
    std::int32_t ink::Params::*field;
    int value;
  };
  using P = ink::Params;
  const FloatField floats[] = {
      {pid::radius, &P::radius, 31.5f},           {pid::sheetAmount, &P::sheetAmount, 0.25f},
      {pid::shellAmount, &P::shellAmount, 0.125f}, {pid::volumeAmount, &P::volumeAmount, 0.375f},
      {pid::meshAmount, &P::meshAmount, 2.5f},     {pid::sheetSize, &P::sheetSize, 0.75f},
      {pid::sheetThickness, &P::sheetThickness, 0.004f}, {pid::sheetWarp, &P::sheetWarp, 1.75f},
      {pid::blobAmount, &P::blobAmount, 3.25f},    {pid::blobSize, &P::blobSize, 0.15f},
      {pid::loopSeconds, &P::loopSeconds, 12.5f},  {pid::timeScale, &P::timeScale, 1.5f},
      {pid::curlStrength, &P::curlStrength, 7.25f}, {pid::curlScale, &P::curlScale, 0.625f},
      {pid::curlEvolve, &P::curlEvolve, 0.875f},   {pid::wallSoftness, &P::wallSoftness, 0.2f},
      {pid::spin, &P::spin, -0.5f},
  };
  const IntField ints[] = {
      {pid::seed, &P::seed, 977},       {pid::sheetCount, &P::sheetCount, 11}, {pid::blobCount, &P::blobCount, 9},
      {pid::substeps, &P::substeps, 5}, {pid::curlOctaves, &P::curlOctaves, 4},
  };
  InkObject* ink = newInk();
  IParamBlock2& pb = *ink->pblock2;
  for (const FloatField& f : floats) pb.SetValue(f.id, 0, f.value);
  for (const IntField& f : ints) pb.SetValue(f.id, 0, f.value);
  pb.SetValue(pid::loop, 0, false);
  pb.SetValue(pid::startFrame, 0, -45);

  const ink::Params p = ink::inkSimParams(pb, 0, 30.f);
  for (const FloatField& f : floats) EXPECT_EQ(p.*f.field, f.value) << "parameter " << f.id;
  for (const IntField& f : ints) EXPECT_EQ(p.*f.field, f.value) << "parameter " << f.id;
  EXPECT_EQ(p.fps, 30.f);
  EXPECT_EQ(p.loop, 0);
  EXPECT_EQ(p.startTime, -1.5f);  // start frame / fps
  EXPECT_TRUE(p.spinAxis == (orb::Vec{0.f, 0.f, 1.f}));
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
