// Frames to files: the ending picks the format (case ignored, four
// characters), the EXR holds the colour and, with passes, the 24 pass
// channels with their storage types and values as OpenEXR reads them back,
// a transparent PNG stores straight colour, and every failure names itself.
#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ImageTestFiles.h"
#include "ink/render/RenderOutput.h"
#include "ink/render/RenderPasses.h"
#include "ink/render/RenderUpload.h"

namespace {

constexpr int kWidth = 5, kHeight = 3;

struct FrameOutput : ::testing::Test {
  formats::test::ScratchFolder scratch;
  std::vector<float> image = std::vector<float>(4 * kWidth * kHeight, 0.5f);
  std::vector<float> passes = std::vector<float>(24 * kWidth * kHeight);
  std::string status = "earlier status";
  ink::FrameOutputSettings settings;

  FrameOutput() {
    // Small integers, exact in half: channel c of pixel p holds c + p.
    for (std::size_t i = 0; i < passes.size(); ++i) passes[i] = static_cast<float>(i % 24 + i / 24);
  }
  bool write(const std::string& name, bool withPasses = true) {
    return ink::writeFrame(name, image, withPasses ? std::span<const float>(passes) : std::span<const float>(), kWidth,
                           kHeight, settings, status);
  }
};

std::set<std::string> channelNames(const Imf::Header& header) {
  std::set<std::string> names;
  for (auto it = header.channels().begin(); it != header.channels().end(); ++it) names.insert(it.name());
  return names;
}

TEST_F(FrameOutput, AnExrWithPassesHoldsTheTwentyEightChannelsWithTheirTypesAndValues) {
  const std::string path = scratch.file("frame.EXR");  // the ending's case is ignored
  ASSERT_TRUE(write(path)) << status;
  EXPECT_EQ(status, "earlier status");
  Imf::InputFile file(path.c_str());
  const Imf::Header& header = file.header();
  std::set<std::string> expected{"R", "G", "B", "A"};
  for (const ink::PassChannel& c : ink::kPassChannels) expected.insert(c.name);
  EXPECT_EQ(channelNames(header), expected);
  EXPECT_EQ(expected.size(), 28u);
  const std::set<std::string> alwaysFloat{"depth.Z", "motion.u", "motion.v", "density.Y"};
  for (const std::string& name : expected)
    EXPECT_EQ(header.channels().findChannel(name)->type, alwaysFloat.count(name) ? Imf::FLOAT : Imf::HALF) << name;

  std::vector<std::vector<float>> read(ink::kPassRecordFloats, std::vector<float>(kWidth * kHeight));
  Imf::FrameBuffer buffer;
  for (const ink::PassChannel& c : ink::kPassChannels)
    buffer.insert(c.name, Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(read[c.offset].data()), 4, 4 * kWidth));
  file.setFrameBuffer(buffer);
  file.readPixels(0, kHeight - 1);
  for (const ink::PassChannel& c : ink::kPassChannels)
    for (int p = 0; p < kWidth * kHeight; ++p) ASSERT_EQ(read[c.offset][p], passes[24 * p + c.offset]) << c.name;
}

TEST_F(FrameOutput, AnExrWithoutPassesHoldsRgbaInTheChosenPrecision) {
  settings.exrFloat = true;
  const std::string path = scratch.file("beauty.exr");
  ASSERT_TRUE(write(path, false)) << status;
  Imf::InputFile file(path.c_str());
  EXPECT_EQ(channelNames(file.header()), (std::set<std::string>{"A", "B", "G", "R"}));
  EXPECT_EQ(file.header().channels().findChannel("R")->type, Imf::FLOAT);
}

double srgbCode16(double linear) {
  const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  return std::floor(v * 65535 + 0.5);
}

TEST_F(FrameOutput, ATransparentPngStoresStraightColourExceptWhereAlphaIsAlmostZero) {
  settings.bgMode = 1;
  const float premultiplied[4] = {0.25f, 0.1f, 0.05f, 0.5f}, faint[4] = {0.3f, 0.3f, 0.3f, 0.00005f};
  std::copy(premultiplied, premultiplied + 4, image.begin());
  std::copy(faint, faint + 4, image.begin() + 4);
  const std::string path = scratch.file("transparent.png");
  ASSERT_TRUE(write(path)) << status;
  EXPECT_EQ(image[0], 0.25f);  // the frame itself is left as it was
  int w, h, channels;
  stbi_us* png = stbi_load_16(path.c_str(), &w, &h, &channels, 4);
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png[0], srgbCode16(0.5));
  EXPECT_EQ(png[1], srgbCode16(0.2));
  EXPECT_EQ(png[3], 32768);
  EXPECT_EQ(png[4], srgbCode16(0.3));  // kept premultiplied
  stbi_image_free(png);

  settings.bgMode = 0;  // over an opaque background the colour is written as it is
  ASSERT_TRUE(write(path)) << status;
  png = stbi_load_16(path.c_str(), &w, &h, &channels, 4);
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png[0], srgbCode16(0.25));
  stbi_image_free(png);
}

TEST_F(FrameOutput, ABmpIgnoresPassesAndAlpha) {
  image[3] = 0.f;
  const std::string path = scratch.file("frame.bmp");
  ASSERT_TRUE(write(path)) << status;
  int w, h, channels;
  stbi_uc* bmp = stbi_load(path.c_str(), &w, &h, &channels, 3);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(w, kWidth);
  EXPECT_EQ(bmp[0], static_cast<int>(std::floor(srgbCode16(0.5) / 65535 * 255 + 0.5)));
  stbi_image_free(bmp);
}

TEST_F(FrameOutput, UnknownEndingsAreRefusedByTheirLastFourCharacters) {
  const std::string hint = " - name the file .png, .exr or .bmp";
  EXPECT_FALSE(write(scratch.file("frame.jpeg")));
  EXPECT_EQ(status, "cannot write jpeg" + hint);
  EXPECT_FALSE(write(scratch.file("shot.TIF")));
  EXPECT_EQ(status, "cannot write .tif" + hint);
  EXPECT_FALSE(write("abc"));
  EXPECT_EQ(status, "cannot write abc" + hint);
  EXPECT_FALSE(write(""));
  EXPECT_EQ(status, "cannot write " + hint);
  EXPECT_FALSE(std::filesystem::exists(scratch.file("frame.jpeg")));
}

TEST_F(FrameOutput, AHostCopyThatCannotBeMadeFailsBeforeAnyFileIsTouched) {
  settings.bgMode = 1;  // the straight-colour PNG copies the frame
  for (const char* name : {"copy.png", "copy.exr"}) {
    ink::renderFaults::failHostAllocation(1);
    EXPECT_FALSE(write(scratch.file(name))) << name;
    EXPECT_EQ(status, "not enough system memory for the image");
    EXPECT_FALSE(std::filesystem::exists(scratch.file(name)));
  }
  ink::renderFaults::failHostAllocation(0);
  EXPECT_TRUE(write(scratch.file("copy.png"))) << status;
}

TEST_F(FrameOutput, WritersThatCannotWriteNameTheFileAndShortBuffersTouchNothing) {
  for (const char* name : {"a.exr", "a.png", "a.bmp"}) {
    const std::string path = formats::test::unopenablePath(scratch, name);
    EXPECT_FALSE(write(path)) << name;
    EXPECT_EQ(status, "cannot write " + path);
  }
  passes.resize(passes.size() - 1);  // one float short of the pass record
  const std::string path = scratch.file("short.exr");
  EXPECT_FALSE(write(path));
  EXPECT_EQ(status, "cannot write " + path);
  EXPECT_FALSE(std::filesystem::exists(path));
  image.resize(image.size() - 4);
  EXPECT_FALSE(write(scratch.file("short.png"), false));
  EXPECT_FALSE(std::filesystem::exists(scratch.file("short.png")));
}

}  // namespace
