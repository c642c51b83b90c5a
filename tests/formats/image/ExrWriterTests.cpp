// The EXR writer: exact bytes of a tiny file, every channel value and type as
// OpenEXR reads them back, and the failure texts.
#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfCheckFile.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <Imath/half.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "formats/image/Exr.h"
#include "formats/image/Half.h"
#include "ImageTestFiles.h"

namespace formats {
namespace {

using test::littleEndian32;
using test::readBytes;

// The render-pass channels with their index in the 24-float pass record.
const std::vector<std::pair<std::string, int>> kPassChannels = {
    {"ink.R", 0},      {"ink.G", 1},       {"ink.B", 2},      {"ink.A", 3},       {"glass.R", 4},
    {"glass.G", 5},    {"glass.B", 6},     {"emission.R", 7}, {"emission.G", 8},  {"emission.B", 9},
    {"depth.Z", 10},   {"motion.u", 11},   {"motion.v", 12},  {"N.X", 13},        {"N.Y", 14},
    {"N.Z", 15},       {"group.R", 16},    {"group.G", 17},   {"group.B", 18},    {"source.R", 19},
    {"source.G", 20},  {"matte.A", 21},    {"density.Y", 22}, {"glassMask.Y", 23}};

const std::vector<std::string> kSortedFrameChannels = {
    "A",          "B",          "G",          "N.X",     "N.Y",     "N.Z",         "R",
    "density.Y",  "depth.Z",    "emission.B", "emission.G", "emission.R", "glass.B", "glass.G",
    "glass.R",    "glassMask.Y", "group.B",   "group.G", "group.R", "ink.A",       "ink.B",
    "ink.G",      "ink.R",      "matte.A",    "motion.u", "motion.v", "source.G",  "source.R"};

// OpenEXR's own file check through both of its readers. It answers true when
// it found a fault (its header comment says the opposite).
bool openExrFindsNoFault(const std::string& path) {
  return !Imf::checkOpenEXRFile(path.c_str(), false, false, /*enableCoreCheck=*/true);
}

class ExrWriter : public ::testing::Test {
 protected:
  test::ScratchFolder scratch_;
  std::string status_ = "earlier status";
};

// Little-endian byte builder for expected files.
struct Bytes {
  std::vector<std::uint8_t> v;
  void text(const std::string& s) { v.insert(v.end(), s.begin(), s.end()), v.push_back(0); }
  void u32(std::uint32_t x) { for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> 8 * i)); }
  void u64(std::uint64_t x) { for (int i = 0; i < 8; ++i) v.push_back(std::uint8_t(x >> 8 * i)); }
  void u16(std::uint16_t x) { v.push_back(std::uint8_t(x)), v.push_back(std::uint8_t(x >> 8)); }
};

TEST_F(ExrWriter, OnePixelRgbaHalfFileHasExactlyTheDescribedBytes) {
  const float rgba[4] = {1.f, 0.5f, -2.f, 65520.f};
  const std::vector<ExrChannel> channels = {
      {"R", true, &rgba[0], 4}, {"G", true, &rgba[1], 4}, {"B", true, &rgba[2], 4}, {"A", true, &rgba[3], 4}};
  const std::string path = scratch_.file("one.exr");
  ASSERT_TRUE(writeExr(path, 1, 1, channels, status_));
  EXPECT_EQ(status_, "earlier status");

  Bytes e;
  e.v = {0x76, 0x2F, 0x31, 0x01};
  e.u32(2);
  e.text("channels"), e.text("chlist"), e.u32(4 * 18 + 1);
  for (const char* name : {"A", "B", "G", "R"}) e.text(name), e.u32(1), e.u32(0), e.u32(1), e.u32(1);
  e.v.push_back(0);
  e.text("compression"), e.text("compression"), e.u32(1), e.v.push_back(0);
  for (const char* window : {"dataWindow", "displayWindow"}) {
    e.text(window), e.text("box2i"), e.u32(16);
    for (int i = 0; i < 4; ++i) e.u32(0);
  }
  e.text("lineOrder"), e.text("lineOrder"), e.u32(1), e.v.push_back(0);
  e.text("pixelAspectRatio"), e.text("float"), e.u32(4), e.u32(0x3F800000);
  e.text("screenWindowWidth"), e.text("float"), e.u32(4), e.u32(0x3F800000);
  e.text("screenWindowCenter"), e.text("v2f"), e.u32(8), e.u32(0), e.u32(0);
  e.v.push_back(0);
  ASSERT_EQ(e.v.size(), 331u);  // counted by hand from the attribute table
  e.u64(331 + 8);               // the only offset: header plus the table itself
  e.u32(0), e.u32(8);           // y, data bytes of the line
  e.u16(0x7C00), e.u16(0xC000), e.u16(0x3800), e.u16(0x3C00);  // A, B, G, R
  EXPECT_EQ(readBytes(path), e.v);
}

TEST_F(ExrWriter, HeaderAttributesComeInTheirFixedOrder) {
  const float value = 0.f;
  const std::vector<ExrChannel> channels = {{"Y", false, &value, 0}};
  const std::string path = scratch_.file("order.exr");
  ASSERT_TRUE(writeExr(path, 3, 2, channels, status_));
  const auto b = readBytes(path);
  std::vector<std::string> names, types;
  for (std::size_t at = 8; b.at(at) != 0;) {
    names.emplace_back(reinterpret_cast<const char*>(&b[at]));
    at += names.back().size() + 1;
    types.emplace_back(reinterpret_cast<const char*>(&b[at]));
    at += types.back().size() + 1;
    at += 4 + littleEndian32(b, at);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"channels", "compression", "dataWindow", "displayWindow", "lineOrder",
                                             "pixelAspectRatio", "screenWindowWidth", "screenWindowCenter"}));
  EXPECT_EQ(types, (std::vector<std::string>{"chlist", "compression", "box2i", "box2i", "lineOrder", "float",
                                             "float", "v2f"}));
}

// A frame with every pass channel, as the pass writer hands it over: RGBA
// with stride 4, the pass record with stride 24, depth, motion and density in
// float and the rest in half, listed in a shuffled order.
struct PassFrame {
  int width = 7, height = 5;
  std::vector<float> rgba, passes;
  std::vector<ExrChannel> channels;

  explicit PassFrame(unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> spread(-70000.f, 70000.f);
    const float specials[] = {0.f, -0.f, 1.f, 65504.f, 65520.f, 0x1p-24f, 0x1p-26f,
                              std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
    auto fill = [&](std::vector<float>& v, std::size_t n) {
      v.resize(n);
      for (std::size_t i = 0; i < n; ++i) v[i] = i % 5 == 0 ? specials[i / 5 % 9] : spread(rng) * std::ldexp(1.f, -int(i % 40));
    };
    fill(rgba, std::size_t(width) * height * 4);
    fill(passes, std::size_t(width) * height * 24);
    const char* rgbaNames[] = {"R", "G", "B", "A"};
    for (int c = 0; c < 4; ++c) channels.push_back({rgbaNames[c], true, rgba.data() + c, 4});
    for (const auto& [name, index] : kPassChannels) {
      const bool alwaysFloat = name == "depth.Z" || name == "motion.u" || name == "motion.v" || name == "density.Y";
      channels.push_back({name, !alwaysFloat, passes.data() + index, 24});
    }
    std::shuffle(channels.begin(), channels.end(), rng);
  }
};

TEST_F(ExrWriter, OpenExrReadsEveryPassChannelWithItsTypeAndExactValue) {
  const PassFrame frame(7);
  const std::string path = scratch_.file("passes.exr");
  ASSERT_TRUE(writeExr(path, frame.width, frame.height, frame.channels, status_));
  ASSERT_TRUE(openExrFindsNoFault(path));

  Imf::InputFile file(path.c_str());
  const Imf::Header& header = file.header();
  EXPECT_EQ(header.compression(), Imf::NO_COMPRESSION);
  EXPECT_EQ(header.dataWindow(), Imath::Box2i({0, 0}, {frame.width - 1, frame.height - 1}));
  EXPECT_EQ(header.displayWindow(), header.dataWindow());
  EXPECT_EQ(header.lineOrder(), Imf::INCREASING_Y);
  EXPECT_EQ(header.pixelAspectRatio(), 1.f);
  EXPECT_EQ(header.screenWindowWidth(), 1.f);
  EXPECT_EQ(header.screenWindowCenter(), Imath::V2f(0.f, 0.f));
  std::vector<std::string> names;
  for (auto it = header.channels().begin(); it != header.channels().end(); ++it) names.push_back(it.name());
  EXPECT_EQ(names, kSortedFrameChannels);

  const std::size_t pixels = std::size_t(frame.width) * frame.height;
  std::vector<std::vector<std::uint32_t>> read(frame.channels.size(), std::vector<std::uint32_t>(pixels));
  Imf::FrameBuffer buffer;
  for (std::size_t i = 0; i < frame.channels.size(); ++i) {
    const ExrChannel& c = frame.channels[i];
    const Imf::Channel* stored = header.channels().findChannel(c.name);
    ASSERT_NE(stored, nullptr) << c.name;
    EXPECT_EQ(stored->type, c.half ? Imf::HALF : Imf::FLOAT) << c.name;
    EXPECT_EQ(stored->xSampling, 1);
    EXPECT_EQ(stored->ySampling, 1);
    EXPECT_FALSE(stored->pLinear);
    buffer.insert(c.name, Imf::Slice(stored->type, reinterpret_cast<char*>(read[i].data()), 4, 4 * frame.width));
  }
  file.setFrameBuffer(buffer);
  file.readPixels(0, frame.height - 1);

  for (std::size_t i = 0; i < frame.channels.size(); ++i) {
    const ExrChannel& c = frame.channels[i];
    for (std::size_t p = 0; p < pixels; ++p) {
      const std::uint32_t source = std::bit_cast<std::uint32_t>(c.data[p * c.stride]);
      const std::uint32_t expected = c.half ? halfFromFloat(c.data[p * c.stride]) : source;
      const std::uint32_t stored = c.half ? (read[i][p] & 0xFFFFu) : read[i][p];  // a half fills the low bytes
      ASSERT_EQ(stored, expected) << c.name << " pixel " << p;
    }
  }
}

TEST_F(ExrWriter, OffsetTablePointsAtConsecutiveLinesOfChannelMajorData) {
  const PassFrame frame(11);
  const std::string path = scratch_.file("layout.exr");
  ASSERT_TRUE(writeExr(path, frame.width, frame.height, frame.channels, status_));
  const auto b = readBytes(path);
  const std::uint32_t lineBytes = frame.width * (24 * 2 + 4 * 4);
  std::size_t headerEnd = b.size() - frame.height * (8 + lineBytes) - 8 * frame.height;
  ASSERT_EQ(b[headerEnd - 1], 0);
  for (int y = 0; y < frame.height; ++y) {
    const std::size_t offset = littleEndian32(b, headerEnd + 8 * y) | std::uint64_t(littleEndian32(b, headerEnd + 8 * y + 4)) << 32;
    ASSERT_EQ(offset, headerEnd + 8 * frame.height + y * (8 + lineBytes));
    EXPECT_EQ(littleEndian32(b, offset), std::uint32_t(y));
    EXPECT_EQ(littleEndian32(b, offset + 4), lineBytes);
  }
  // The first channel of the line is "A" (the fourth RGBA float), x = 0 and 1.
  const std::size_t firstBlock = headerEnd + 8 * frame.height;
  const float* a = frame.rgba.data() + 3;
  EXPECT_EQ(b[firstBlock + 8] | b[firstBlock + 9] << 8, halfFromFloat(a[0]));
  EXPECT_EQ(b[firstBlock + 10] | b[firstBlock + 11] << 8, halfFromFloat(a[4]));
}

TEST_F(ExrWriter, WritesUtf8FileNames) {
  const float value = 0.25f;
  const std::vector<ExrChannel> channels = {{"Y", true, &value, 0}};
  const std::string path = scratch_.file("Bild \xC3\xBC \xE6\x97\xA5.exr");
  ASSERT_TRUE(writeExr(path, 2, 2, channels, status_));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));
  EXPECT_TRUE(openExrFindsNoFault(path));
}

TEST_F(ExrWriter, ReplacesAnExistingFile) {
  const std::string path = scratch_.file("again.exr");
  test::writeText(path, std::string(100000, 'x'));
  const float value = 1.f;
  const std::vector<ExrChannel> channels = {{"Y", true, &value, 0}};
  ASSERT_TRUE(writeExr(path, 1, 1, channels, status_));
  EXPECT_TRUE(openExrFindsNoFault(path));
  EXPECT_LT(std::filesystem::file_size(path), 1000u);
}

TEST_F(ExrWriter, UnopenablePathReportsCannotWrite) {
  const float value = 1.f;
  const std::vector<ExrChannel> channels = {{"Y", true, &value, 0}};
  const std::string path = test::unopenablePath(scratch_, "frame.exr");
  EXPECT_FALSE(writeExr(path, 1, 1, channels, status_));
  EXPECT_EQ(status_, "cannot write " + path);
  EXPECT_FALSE(writeExr(scratch_.file(""), 1, 1, channels, status_));  // a folder
  EXPECT_EQ(status_, "cannot write " + scratch_.file(""));
}

TEST_F(ExrWriter, FullDiskReportsWriteError) {
  const float value = 1.f;
  const std::vector<ExrChannel> channels = {{"Y", true, &value, 0}};
  // Small enough that every byte waits in the stream's buffer until close.
  EXPECT_FALSE(writeExr("/dev/full", 1, 1, channels, status_));
  EXPECT_EQ(status_, "write error /dev/full");
  const std::vector<float> line(4096, 1.f);
  const std::vector<ExrChannel> wide = {{"Y", false, line.data(), 1}};
  EXPECT_FALSE(writeExr("/dev/full", 4096, 64, wide, status_));
  EXPECT_EQ(status_, "write error /dev/full");
}

TEST_F(ExrWriter, ArgumentsThatCannotMakeAValidFileTouchNoFile) {
  const float value = 1.f;
  const std::string path = scratch_.file("kept.exr");
  test::writeText(path, "earlier frame");
  const std::vector<std::vector<ExrChannel>> badLists = {
      {},                                                  // OpenEXR rejects a file without channels
      {{"Y", true, &value, 0}, {"Y", false, &value, 0}},  // duplicate names
      {{"", true, &value, 0}},                             // an empty name ends the list early
      {{std::string(32, 'n'), true, &value, 0}},           // needs the long-names flag
      {{std::string("a\0b", 3), true, &value, 0}},          // a NUL inside the name
      {{"Y", true, nullptr, 1}}};                           // no data
  for (const auto& list : badLists) {
    status_.clear();
    EXPECT_FALSE(writeExr(path, 1, 1, list, status_)) << (list.empty() ? "no channels" : list[0].name);
    EXPECT_EQ(status_, "cannot write " + path);
  }
  const std::vector<ExrChannel> good = {{std::string(31, 'n'), true, &value, 0}};
  EXPECT_FALSE(writeExr(path, 0, 1, good, status_));
  EXPECT_FALSE(writeExr(path, 1, -1, good, status_));
  EXPECT_EQ(status_, "cannot write " + path);
  EXPECT_EQ(test::readText(path), "earlier frame");

  // A 31-byte name is still fine.
  ASSERT_TRUE(writeExr(path, 1, 1, good, status_));
  EXPECT_TRUE(openExrFindsNoFault(path));
}

TEST_F(ExrWriter, LineTooLargeForTheBlockSizeFieldIsRefused) {
  const float value = 1.f;
  // 2^31 / 4 bytes per float: one value past what a 32-bit block size holds.
  std::vector<ExrChannel> channels;
  for (int c = 0; c < 4; ++c) channels.push_back({std::string(1, char('A' + c)), false, &value, 0});
  EXPECT_FALSE(writeExr(scratch_.file("huge.exr"), 1 << 27, 1, channels, status_));
  EXPECT_EQ(status_, "cannot write " + scratch_.file("huge.exr"));
  EXPECT_FALSE(std::filesystem::exists(scratch_.file("huge.exr")));
}

}  // namespace
}  // namespace formats
