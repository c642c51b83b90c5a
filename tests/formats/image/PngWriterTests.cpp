// The PNG writer: exact bytes of a one-pixel file, the encoding's
// hand-computed codes, pixels and chunks as libpng reads them, the zlib
// stream as zlib inflates it, IDAT splitting and the failure results.
#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/image/Png.h"
#include "formats/image/PngStream.h"
#include "ImageTestFiles.h"

namespace formats {
namespace {

using test::bigEndian32;
using test::readBytes;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The 16-bit codes the description prescribes, in double precision.
std::uint16_t colourCode(float x) {
  if (!(x > 0.f)) return 0;
  const double c = std::min<double>(x, 1.0);
  const double v = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
  return std::uint16_t(v * 65535 + 0.5);
}
std::uint16_t alphaCode(float a) { return a > 0.f ? std::uint16_t(std::min(a, 1.f) * 65535.0 + 0.5) : 0; }

struct DecodedPng {
  bool ok = false;
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0, srgbIntent = -1;
  std::vector<std::uint16_t> samples;  // RGBA per pixel, rows top to bottom
};

// Reads a file with libpng, which checks the signature, every chunk's CRC
// and the zlib stream including its Adler-32.
DecodedPng readWithLibpng(const std::string& path) {
  DecodedPng d;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return d;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<std::uint8_t> raw;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    d.ok = false;
    return d;
  }
  png_init_io(png, f);
  png_read_info(png, info);
  png_get_IHDR(png, info, &d.width, &d.height, &d.bitDepth, &d.colourType, &d.interlace, nullptr, nullptr);
  if (png_get_valid(png, info, PNG_INFO_sRGB)) png_get_sRGB(png, info, &d.srgbIntent);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  raw.resize(rowBytes * d.height);
  for (png_uint_32 y = 0; y < d.height; ++y) rows.push_back(raw.data() + y * rowBytes);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  for (std::size_t i = 0; i + 1 < raw.size(); i += 2) d.samples.push_back(std::uint16_t(raw[i] << 8 | raw[i + 1]));
  d.ok = true;
  return d;
}

struct PngChunk {
  std::string type;
  std::vector<std::uint8_t> data;
  std::uint32_t crc;
};

std::vector<PngChunk> chunksOf(const std::vector<std::uint8_t>& file) {
  std::vector<PngChunk> chunks;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::uint32_t length = bigEndian32(file, at);
    PngChunk c{std::string(file.begin() + at + 4, file.begin() + at + 8),
               {file.begin() + at + 8, file.begin() + at + 8 + length}, bigEndian32(file, at + 8 + length)};
    chunks.push_back(c);
    at += 12 + length;
  }
  return chunks;
}

std::vector<std::uint8_t> zlibStreamOf(const std::vector<PngChunk>& chunks) {
  std::vector<std::uint8_t> stream;
  for (const auto& c : chunks)
    if (c.type == "IDAT") stream.insert(stream.end(), c.data.begin(), c.data.end());
  return stream;
}

std::vector<float> randomFrame(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> value(-0.2f, 1.3f);
  std::vector<float> image(std::size_t(width) * height * 4);
  for (auto& v : image) v = value(rng);
  return image;
}

class PngWriter : public ::testing::Test {
 protected:
  test::ScratchFolder scratch_;
};

TEST_F(PngWriter, OnePixelFileHasExactlyTheDescribedBytes) {
  const std::vector<float> pixel = {1.f, 0.f, 2.f, 0.5f};
  const std::string path = scratch_.file("one.png");
  ASSERT_TRUE(writePng(path, pixel, 1, 1));

  std::vector<std::uint8_t> e = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto chunk = [&e](const char* type, std::vector<std::uint8_t> data) {
    const auto n = std::uint32_t(data.size());
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    const auto crc = std::uint32_t(::crc32(0, body.data(), uInt(body.size())));
    for (std::uint32_t v : {n}) e.insert(e.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
    e.insert(e.end(), body.begin(), body.end());
    e.insert(e.end(), {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16), std::uint8_t(crc >> 8), std::uint8_t(crc)});
  };
  chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 16, 6, 0, 0, 0});
  chunk("sRGB", {0});
  const std::vector<std::uint8_t> raw = {0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0x80, 0x00};  // alpha 0.5 → 32768
  const auto adler = std::uint32_t(::adler32(1, raw.data(), uInt(raw.size())));
  std::vector<std::uint8_t> zlib = {0x78, 0x01, 1, 9, 0, 0xF6, 0xFF};
  zlib.insert(zlib.end(), raw.begin(), raw.end());
  zlib.insert(zlib.end(), {std::uint8_t(adler >> 24), std::uint8_t(adler >> 16), std::uint8_t(adler >> 8), std::uint8_t(adler)});
  chunk("IDAT", zlib);
  chunk("IEND", {});
  EXPECT_EQ(readBytes(path), e);
}

TEST_F(PngWriter, HandComputedCodes) {
  // Linear value → 16-bit code, computed by hand from the sRGB curve; the
  // second and third would give 2634 and 2709 on the wrong side of the
  // switch from the straight segment to the power curve.
  const std::vector<std::pair<float, int>> cases = {
      {0.0031308f, 2651}, {0.00311f, 2633}, {0.0032f, 2708}, {0.5f, 48192}, {0.18f, 30235}, {0.001f, 847}, {0.75f, 57725}, {0.9f, 62565},
      {1.f, 65535},       {1.5f, 65535}, {-0.25f, 0},    {0.f, 0},      {kNaN, 0},
      {std::numeric_limits<float>::infinity(), 65535}};
  std::vector<float> image;
  for (const auto& [linear, code] : cases) image.insert(image.end(), {linear, linear, linear, 1.f});
  const std::string path = scratch_.file("codes.png");
  ASSERT_TRUE(writePng(path, image, int(cases.size()), 1));
  const DecodedPng d = readWithLibpng(path);
  ASSERT_TRUE(d.ok);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(d.samples[4 * i], cases[i].second) << "linear " << cases[i].first;
    EXPECT_EQ(d.samples[4 * i + 2], cases[i].second) << "linear " << cases[i].first;
  }
}

TEST_F(PngWriter, AlphaIsClampedNotEncoded) {
  const std::vector<float> image = {0, 0, 0, 0.5f, 0, 0, 0, 0.25f, 0, 0, 0, -1.f, 0, 0, 0, 7.f, 0, 0, 0, kNaN};
  const std::string path = scratch_.file("alpha.png");
  ASSERT_TRUE(writePng(path, image, 5, 1));
  const DecodedPng d = readWithLibpng(path);
  ASSERT_TRUE(d.ok);
  const int expected[] = {32768, 16384, 0, 65535, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(d.samples[4 * i + 3], expected[i]) << i;
}

TEST_F(PngWriter, LibpngReadsEveryPixelAsEncoded) {
  const int width = 13, height = 9;
  const auto image = randomFrame(width, height, 5);
  const std::string path = scratch_.file("frame.png");
  ASSERT_TRUE(writePng(path, image, width, height));
  const DecodedPng d = readWithLibpng(path);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.width, png_uint_32(width));
  EXPECT_EQ(d.height, png_uint_32(height));
  EXPECT_EQ(d.bitDepth, 16);
  EXPECT_EQ(d.colourType, PNG_COLOR_TYPE_RGB_ALPHA);
  EXPECT_EQ(d.interlace, PNG_INTERLACE_NONE);
  EXPECT_EQ(d.srgbIntent, PNG_sRGB_INTENT_PERCEPTUAL);
  ASSERT_EQ(d.samples.size(), image.size());
  for (std::size_t i = 0; i < image.size(); ++i)
    ASSERT_EQ(d.samples[i], i % 4 == 3 ? alphaCode(image[i]) : colourCode(image[i])) << "sample " << i;
}

TEST_F(PngWriter, ChunksComeInOrderAndRawRowsStartWithFilterNone) {
  const int width = 3, height = 4;
  const auto image = randomFrame(width, height, 6);
  const std::string path = scratch_.file("chunks.png");
  ASSERT_TRUE(writePng(path, image, width, height));
  const auto chunks = chunksOf(readBytes(path));
  ASSERT_EQ(chunks.size(), 4u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[1].type, "sRGB");
  EXPECT_EQ(chunks[2].type, "IDAT");
  EXPECT_EQ(chunks[3].type, "IEND");
  const std::size_t rowBytes = 1 + 8 * width;
  std::vector<std::uint8_t> raw(rowBytes * height);
  uLongf size = uLongf(raw.size());
  const auto stream = zlibStreamOf(chunks);
  ASSERT_EQ(::uncompress(raw.data(), &size, stream.data(), uLong(stream.size())), Z_OK);
  ASSERT_EQ(size, raw.size());
  for (int y = 0; y < height; ++y) EXPECT_EQ(raw[y * rowBytes], 0) << y;
}

// Two pixels per row make 17-byte rows: 3855 rows are exactly 65535 bytes.
TEST_F(PngWriter, RawDataOfExactlyOneBlockAndOneRowMore) {
  for (int height : {3855, 3856}) {
    const auto image = randomFrame(2, height, 7);
    const std::string path = scratch_.file("rows" + std::to_string(height) + ".png");
    ASSERT_TRUE(writePng(path, image, 2, height));
    const auto stream = zlibStreamOf(chunksOf(readBytes(path)));
    EXPECT_EQ(stream[2], height == 3855 ? 1 : 0);  // BFINAL of the first block
    EXPECT_EQ(stream[3] | stream[4] << 8, 65535);
    if (height == 3856) {
      const std::size_t second = 2 + 5 + 65535;
      EXPECT_EQ(stream[second], 1);
      EXPECT_EQ(stream[second + 1] | stream[second + 2] << 8, 17);
    }
    const DecodedPng d = readWithLibpng(path);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.samples.size(), image.size());
    EXPECT_EQ(d.samples.back(), alphaCode(image.back()));
  }
}

TEST_F(PngWriter, IdatChunksSplitAtTheLimitAndStillDecode) {
  const int width = 20, height = 30;
  const auto image = randomFrame(width, height, 8);
  std::ostringstream out;
  ASSERT_TRUE(encodePng(out, image, width, height, 1000));
  const std::string path = scratch_.file("split.png");
  test::writeText(path, out.str());
  const auto chunks = chunksOf(readBytes(path));
  const std::size_t streamBytes = 2 + 5 + 30 * (1 + 8 * 20) + 4;  // one stored block
  std::size_t idats = 0, carried = 0;
  for (const auto& c : chunks) {
    if (c.type != "IDAT") continue;
    ++idats;
    carried += c.data.size();
    EXPECT_LE(c.data.size(), 1000u);
    if (carried < streamBytes) {
      EXPECT_EQ(c.data.size(), 1000u);  // only the last chunk is short
    }
  }
  EXPECT_EQ(carried, streamBytes);
  EXPECT_EQ(idats, (streamBytes + 999) / 1000);
  const DecodedPng d = readWithLibpng(path);
  ASSERT_TRUE(d.ok);
  for (std::size_t i = 0; i < image.size(); ++i)
    ASSERT_EQ(d.samples[i], i % 4 == 3 ? alphaCode(image[i]) : colourCode(image[i])) << "sample " << i;
}

TEST_F(PngWriter, FailuresReturnFalse) {
  const std::vector<float> pixel = {0.5f, 0.5f, 0.5f, 1.f};
  EXPECT_FALSE(writePng(test::unopenablePath(scratch_, "a.png"), pixel, 1, 1));
  EXPECT_FALSE(writePng(scratch_.file(""), pixel, 1, 1));
  EXPECT_FALSE(writePng("/dev/full", pixel, 1, 1));  // fails in the final flush
  const auto big = randomFrame(300, 300, 9);
  EXPECT_FALSE(writePng("/dev/full", big, 300, 300));  // fails while rows are written
}

TEST_F(PngWriter, FramesThatDoNotHoldTheirPixelsTouchNoFile) {
  const std::string path = scratch_.file("kept.png");
  test::writeText(path, "earlier frame");
  const std::vector<float> pixels(4 * 6, 0.5f);
  EXPECT_FALSE(writePng(path, pixels, 0, 1));
  EXPECT_FALSE(writePng(path, pixels, 3, -2));
  EXPECT_FALSE(writePng(path, pixels, 7, 1));                       // one pixel short
  EXPECT_FALSE(writePng(path, pixels, 1 << 30, 1 << 30));            // product past any size
  EXPECT_FALSE(writePng(path, std::span<const float>(), 1, 1));
  EXPECT_EQ(test::readText(path), "earlier frame");
  EXPECT_TRUE(writePng(path, pixels, 3, 2));
  EXPECT_TRUE(readWithLibpng(path).ok);
}

TEST_F(PngWriter, WritesUtf8FileNames) {
  const std::vector<float> pixel = {0.5f, 0.5f, 0.5f, 1.f};
  const std::string path = scratch_.file("\xC3\xA9t\xC3\xA9 \xE2\x98\x80.png");
  ASSERT_TRUE(writePng(path, pixel, 1, 1));
  EXPECT_TRUE(readWithLibpng(path).ok);
}

}  // namespace
}  // namespace formats
