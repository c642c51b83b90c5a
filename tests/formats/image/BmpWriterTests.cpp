// The BMP writer: header fields and row strides, bottom-up row order, pixels
// as an independent reader (stb_image) decodes them, and the failure results.
#include <gtest/gtest.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO_WARNINGS
#include <stb_image.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "formats/image/Bmp.h"
#include "ImageTestFiles.h"

namespace formats {
namespace {

using test::littleEndian32;
using test::readBytes;

std::uint8_t code8(float x) {
  if (!(x > 0.f)) return 0;
  const double c = std::min<double>(x, 1.0);
  const double v = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
  return std::uint8_t(v * 255 + 0.5);
}

class BmpWriter : public ::testing::Test {
 protected:
  test::ScratchFolder scratch_;
};

TEST_F(BmpWriter, HeadersOfAOneByTwoImage) {
  const std::vector<float> image(8, 1.f);
  const std::string path = scratch_.file("small.bmp");
  ASSERT_TRUE(writeBmp(path, image, 1, 2));
  const auto b = readBytes(path);
  ASSERT_EQ(b.size(), 54u + 2 * 4);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(littleEndian32(b, 2), 62u);   // file size
  EXPECT_EQ(littleEndian32(b, 6), 0u);    // two reserved fields
  EXPECT_EQ(littleEndian32(b, 10), 54u);  // pixel data offset
  EXPECT_EQ(littleEndian32(b, 14), 40u);  // info header size
  EXPECT_EQ(littleEndian32(b, 18), 1u);
  EXPECT_EQ(littleEndian32(b, 22), 2u);   // positive height: bottom-up
  EXPECT_EQ(b[26] | b[27] << 8, 1);       // planes
  EXPECT_EQ(b[28] | b[29] << 8, 24);      // bits per pixel
  EXPECT_EQ(littleEndian32(b, 30), 0u);   // no compression
  EXPECT_EQ(littleEndian32(b, 34), 8u);   // image size
  for (std::size_t at : {38, 42, 46, 50}) EXPECT_EQ(littleEndian32(b, at), 0u) << at;
  // Width 1: three pixel bytes and one zero padding byte per row.
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.end()),
            (std::vector<std::uint8_t>{255, 255, 255, 0, 255, 255, 255, 0}));
}

TEST_F(BmpWriter, RowStridesArePaddedToWholeWords) {
  for (const auto& [width, stride] : std::vector<std::pair<int, int>>{{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}}) {
    const std::vector<float> image(std::size_t(width) * 3 * 4, 0.5f);
    const std::string path = scratch_.file("w" + std::to_string(width) + ".bmp");
    ASSERT_TRUE(writeBmp(path, image, width, 3));
    const auto b = readBytes(path);
    EXPECT_EQ(b.size(), 54u + 3 * stride) << width;
    EXPECT_EQ(littleEndian32(b, 34), 3u * stride) << width;
    for (int y = 0; y < 3; ++y)
      for (int pad = 3 * width; pad < stride; ++pad) EXPECT_EQ(b[54 + y * stride + pad], 0) << width;
  }
}

TEST_F(BmpWriter, FirstPixelInTheFileIsTheBottomLeftOne) {
  // 2 × 2, top row first: red, green / blue, white.
  const std::vector<float> image = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1};
  const std::string path = scratch_.file("corners.bmp");
  ASSERT_TRUE(writeBmp(path, image, 2, 2));
  const auto b = readBytes(path);
  const std::vector<std::uint8_t> pixels(b.begin() + 54, b.end());
  EXPECT_EQ(pixels, (std::vector<std::uint8_t>{255, 0, 0, 255, 255, 255, 0, 0,   // blue, white, padding
                                               0, 0, 255, 0, 255, 0, 0, 0}));   // red, green, padding
}

TEST_F(BmpWriter, HandComputedCodes) {
  const std::vector<std::pair<float, int>> cases = {{0.5f, 188}, {0.18f, 118},  {0.0031308f, 10}, {0.001f, 3},
                                                    {0.75f, 225}, {0.9f, 243},  {1.f, 255},       {3.f, 255},
                                                    {-1.f, 0},    {std::numeric_limits<float>::quiet_NaN(), 0}};
  std::vector<float> image;
  for (const auto& [linear, code] : cases) image.insert(image.end(), {linear, 0.f, 0.f, 1.f});
  const std::string path = scratch_.file("codes.bmp");
  ASSERT_TRUE(writeBmp(path, image, int(cases.size()), 1));
  const auto b = readBytes(path);
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(b[54 + 3 * i + 2], cases[i].second) << cases[i].first;
}

TEST_F(BmpWriter, IndependentReaderDecodesEveryPixelAndAlphaIsDropped) {
  const int width = 11, height = 7;
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> value(-0.1f, 1.2f);
  std::vector<float> image(std::size_t(width) * height * 4);
  for (auto& v : image) v = value(rng);
  const std::string path = scratch_.file("frame.bmp");
  ASSERT_TRUE(writeBmp(path, image, width, height));
  for (std::size_t i = 3; i < image.size(); i += 4) image[i] = 0.f;
  ASSERT_TRUE(writeBmp(scratch_.file("clear.bmp"), image, width, height));
  EXPECT_EQ(readBytes(path), readBytes(scratch_.file("clear.bmp")));

  int w = 0, h = 0, channels = 0;
  stbi_uc* decoded = stbi_load(path.c_str(), &w, &h, &channels, 3);
  ASSERT_NE(decoded, nullptr) << stbi_failure_reason();
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
  EXPECT_EQ(channels, 3);
  for (int p = 0; p < width * height; ++p)  // stb returns rows top to bottom
    for (int c = 0; c < 3; ++c) ASSERT_EQ(decoded[3 * p + c], code8(image[4 * p + c])) << "pixel " << p << " " << c;
  stbi_image_free(decoded);
}

TEST_F(BmpWriter, FailuresReturnFalseAndBadFramesTouchNoFile) {
  const std::vector<float> pixels(4 * 6, 0.5f);
  EXPECT_FALSE(writeBmp(test::unopenablePath(scratch_, "a.bmp"), pixels, 1, 1));
  EXPECT_FALSE(writeBmp("/dev/full", pixels, 1, 1));
  const std::string path = scratch_.file("kept.bmp");
  test::writeText(path, "earlier frame");
  EXPECT_FALSE(writeBmp(path, pixels, 0, 1));
  EXPECT_FALSE(writeBmp(path, pixels, 2, -3));
  EXPECT_FALSE(writeBmp(path, pixels, 7, 1));
  EXPECT_EQ(test::readText(path), "earlier frame");
}

TEST_F(BmpWriter, FilesPastTheFormatsFourGigabytesAreRefused) {
  // 3 × 21846 × 65536 bytes exceed a 32-bit file size; the pixels are only
  // checked after the size, so a stand-in span of the right length suffices.
  const std::size_t floats = std::size_t(21846) * 65536 * 4;
  const std::span<const float> huge(reinterpret_cast<const float*>(alignof(float)), floats);
  const std::string path = scratch_.file("huge.bmp");
  EXPECT_FALSE(writeBmp(path, huge, 21846, 65536));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(BmpWriter, WritesUtf8FileNames) {
  const std::vector<float> pixel = {0.5f, 0.5f, 0.5f, 1.f};
  const std::string path = scratch_.file("\xD0\xBA\xD0\xB0\xD0\xB4\xD1\x80.bmp");
  ASSERT_TRUE(writeBmp(path, pixel, 1, 1));
  int w = 0, h = 0, channels = 0;
  stbi_uc* decoded = stbi_load(path.c_str(), &w, &h, &channels, 3);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded[0], 188);
  stbi_image_free(decoded);
}

}  // namespace
}  // namespace formats
