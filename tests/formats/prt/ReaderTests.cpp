// The reader on files compressed by real zlib and on files from our writer:
// every value exact, every refusal with its message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "PrtTestSupport.h"
#include "formats/prt/Half.h"
#include "formats/prt/PrtReader.h"
#include "formats/prt/PrtWriter.h"

using namespace prttest;

namespace {

enum Code { kInt16 = 0, kInt32, kInt64, kFloat16, kFloat32, kFloat64, kUInt16, kUInt32, kUInt64, kInt8, kUInt8 };

template <typename T>
void put(Bytes& out, T value) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

// Records of a float32 Position channel with x = i, y = -i, z = i / 4.
Bytes positionRecords(int count) {
  Bytes records;
  for (int i = 0; i < count; ++i) {
    put(records, float(i));
    put(records, float(-i));
    put(records, float(i) / 4);
  }
  return records;
}

PrtFileLayout positionsFile(int count, int records) {
  PrtFileLayout layout;
  layout.count = count;
  layout.channels = {{"Position", kFloat32, 3, 0}};
  layout.records = positionRecords(records);
  return layout;
}

struct ReadResult {
  bool ok;
  prt::Particles particles;
  std::string message;
};

ReadResult readBytes(const TempDir& dir, const Bytes& file, std::int64_t stride = 1) {
  const std::string path = dir.file("in.prt");
  writeFile(path, file);
  ReadResult result;
  result.ok = prt::Read(path, stride, result.particles, result.message);
  return result;
}

std::string readMessage(const TempDir& dir, const Bytes& file) {
  const ReadResult result = readBytes(dir, file);
  return result.ok ? "ok" : result.message;
}

}  // namespace

// ---- Values ----------------------------------------------------------------

TEST(PrtReader, EveryTypeConvertsExactlyAtEveryZlibLevel) {
  // Position in each type in turn, with values each type holds exactly.
  struct Case {
    int type;
    Bytes bytes;  // three components
    float x, y, z;
  };
  std::vector<Case> cases;
  auto add = [&](int type, auto a, auto b, auto c, float x, float y, float z) {
    Bytes bytes;
    put(bytes, a);
    put(bytes, b);
    put(bytes, c);
    cases.push_back({type, bytes, x, y, z});
  };
  add(kInt16, std::int16_t(-32768), std::int16_t(7), std::int16_t(32767), -32768.f, 7.f, 32767.f);
  add(kInt32, std::int32_t(-16777216), std::int32_t(3), std::int32_t(123456789), -16777216.f, 3.f, 123456792.f);
  add(kInt64, std::int64_t(5), std::int64_t(-5), std::int64_t(1) << 40, 0.f, 0.f, 0.f);
  add(kFloat16, std::uint16_t(0x3C00), std::uint16_t(0x0001), std::uint16_t(0xFC00), 1.f, 0x1p-24f, -INFINITY);
  add(kFloat32, 1.5f, -0.0f, 3.4e38f, 1.5f, -0.0f, 3.4e38f);
  add(kFloat64, 0.1, -2.0, 1e300, 0.1f, -2.f, INFINITY);
  add(kUInt16, std::uint16_t(9), std::uint16_t(65535), std::uint16_t(1), 0.f, 0.f, 0.f);
  add(kUInt32, std::uint32_t(9), std::uint32_t(1), std::uint32_t(2), 0.f, 0.f, 0.f);
  add(kUInt64, std::uint64_t(9), std::uint64_t(1), std::uint64_t(2), 0.f, 0.f, 0.f);
  add(kInt8, std::int8_t(-128), std::int8_t(0), std::int8_t(127), -128.f, 0.f, 127.f);
  add(kUInt8, std::uint8_t(0), std::uint8_t(51), std::uint8_t(255), 0.f, 51.f / 255.f, 1.f);
  TempDir dir;
  for (int level = 0; level <= 9; ++level) {
    for (const Case& c : cases) {
      PrtFileLayout layout;
      layout.count = 300;
      layout.level = level;
      layout.channels = {{"Position", c.type, 3, 0}};
      for (int i = 0; i < 300; ++i) layout.records.insert(layout.records.end(), c.bytes.begin(), c.bytes.end());
      const ReadResult result = readBytes(dir, buildPrt(layout));
      ASSERT_TRUE(result.ok) << result.message;
      ASSERT_EQ(result.particles.positions.size(), 900u);
      for (int i = 0; i < 300; ++i) {
        const float* p = &result.particles.positions[3 * i];
        ASSERT_EQ(std::memcmp(p, &c.x, 4), 0) << "type " << c.type << " level " << level << ": " << p[0];
        ASSERT_EQ(std::memcmp(p + 1, &c.y, 4), 0) << "type " << c.type << ": " << p[1];
        ASSERT_EQ(std::memcmp(p + 2, &c.z, 4), 0) << "type " << c.type << ": " << p[2];
      }
    }
  }
}

TEST(PrtReader, OptionalChannelsAtTheirOffsetsWithFlags) {
  // Record: Emission uint8×3 @0, Position float32×3 @3, pad, Density float16×2 @16, Color float64×3 @20.
  PrtFileLayout layout;
  layout.count = 4;
  layout.channels = {{"Emission", kUInt8, 3, 0}, {"Position", kFloat32, 3, 3}, {"Velocity", kFloat32, 0, 15},
                   {"Density", kFloat16, 2, 16}, {"Color", kFloat64, 3, 20}};
  for (int i = 0; i < 4; ++i) {
    put(layout.records, std::uint8_t(255));
    put(layout.records, std::uint8_t(i));
    put(layout.records, std::uint8_t(0));
    for (int c = 0; c < 3; ++c) put(layout.records, float(i * 10 + c));
    put(layout.records, std::uint8_t(0xEE));
    put(layout.records, prt::floatToHalf(0.5f * i));
    put(layout.records, std::uint16_t(0x7C00));  // second density component, not read
    for (int c = 0; c < 3; ++c) put(layout.records, 0.25 * (i + c));
  }
  TempDir dir;
  const ReadResult result = readBytes(dir, buildPrt(layout));
  ASSERT_TRUE(result.ok) << result.message;
  const prt::Particles& p = result.particles;
  EXPECT_TRUE(p.hasDensity && p.hasColor && p.hasEmission);
  EXPECT_EQ(p.channelNames, (std::vector<std::string>{"Emission", "Position", "Velocity", "Density", "Color"}));
  ASSERT_EQ(p.densities.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(p.positions[3 * i + c], float(i * 10 + c));
      EXPECT_EQ(p.colors[3 * i + c], float(0.25 * (i + c)));
    }
    EXPECT_EQ(p.densities[i], 0.5f * i);
    EXPECT_EQ(p.emissions[3 * i], 1.0f);
    EXPECT_EQ(p.emissions[3 * i + 1], float(i) / 255.0f);
    EXPECT_EQ(p.emissions[3 * i + 2], 0.0f);
  }
}

TEST(PrtReader, ShortColourAndEmissionChannelsAreListedButNotUsed) {
  PrtFileLayout layout = positionsFile(2, 2);
  layout.channels.push_back({"Color", kFloat32, 1, 0});
  layout.channels.push_back({"Emission", kFloat32, 2, 0});
  layout.channels.push_back({"Density", kFloat32, 0, 0});
  TempDir dir;
  const ReadResult result = readBytes(dir, buildPrt(layout));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.particles.channelNames.size(), 4u);
  EXPECT_FALSE(result.particles.hasColor);
  EXPECT_FALSE(result.particles.hasEmission);
  EXPECT_FALSE(result.particles.hasDensity);  // a channel without components has nothing to read
  EXPECT_TRUE(result.particles.colors.empty());
}

TEST(PrtReader, FirstChannelOfANameCountsAndNamesUseAll32Bytes) {
  PrtFileLayout layout = positionsFile(1, 1);
  layout.channels.push_back({"Position", kFloat32, 2, 0});  // a second one is ignored
  layout.channels.push_back({std::string(32, 'L'), kUInt8, 1, 0});
  TempDir dir;
  const ReadResult result = readBytes(dir, buildPrt(layout));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.particles.channelNames.back(), std::string(32, 'L'));
}

TEST(PrtReader, StrideKeepsEveryKthRecord) {
  TempDir dir;
  const Bytes file = buildPrt(positionsFile(10, 10));
  const std::vector<std::pair<std::int64_t, std::vector<int>>> cases = {
      {3, {0, 3, 6, 9}}, {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}, {0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {-4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}, {10, {0}}, {11, {0}}, {INT64_MAX, {0}}, {9, {0, 9}}};
  for (const auto& [stride, kept] : cases) {
    const ReadResult result = readBytes(dir, file, stride);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(result.particles.positions.size(), 3 * kept.size()) << stride;
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(result.particles.positions[3 * i], float(kept[i]));
  }
}

TEST(PrtReader, RecordsBeyondTheCountAreIgnored) {
  TempDir dir;
  const ReadResult result = readBytes(dir, buildPrt(positionsFile(10, 13)));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.particles.positions.size(), 30u);
}

TEST(PrtReader, DataEndingEarlyReportsHowFarItGot) {
  TempDir dir;
  const ReadResult result = readBytes(dir, buildPrt(positionsFile(10, 5)));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "PRT ended after 5 of 10 particles");
  EXPECT_EQ(result.particles.positions.size(), 15u);  // what was read stays
  PrtFileLayout partial = positionsFile(10, 0);
  partial.records = Bytes(12 * 7 + 5, 0);  // a record cut in the middle does not count
  EXPECT_EQ(readMessage(dir, buildPrt(partial)), "PRT ended after 7 of 10 particles");
}

TEST(PrtReader, ZeroParticlesReadAsEmpty) {
  TempDir dir;
  const ReadResult result = readBytes(dir, buildPrt(positionsFile(0, 0)));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_TRUE(result.particles.positions.empty());
}

TEST(PrtReader, WrongAdlerTrailerIsAccepted) {
  TempDir dir;
  Bytes file = buildPrt(positionsFile(50, 50));
  file.back() ^= 0x5A;
  EXPECT_EQ(readMessage(dir, file), "ok");
}

TEST(PrtReader, LongerAndShorterChannelRecordsAndAMovedTable) {
  TempDir dir;
  PrtFileLayout longer = positionsFile(3, 3);
  longer.channelRecordLength = 60;
  longer.channels.push_back({"ID", kInt32, 1, 12});
  longer.records = Bytes();
  for (int i = 0; i < 3; ++i) {
    put(longer.records, 1.f), put(longer.records, 2.f), put(longer.records, 3.f), put(longer.records, i);
  }
  EXPECT_EQ(readMessage(dir, buildPrt(longer)), "ok");

  PrtFileLayout shorter = positionsFile(3, 3);
  shorter.channelRecordLength = 40;  // offset missing: reads as 0
  EXPECT_EQ(readMessage(dir, buildPrt(shorter)), "ok");

  PrtFileLayout moved = positionsFile(3, 3);
  moved.headerLength = 80;
  const ReadResult result = readBytes(dir, buildPrt(moved));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.particles.positions[3], 1.f);
}

// ---- Refusals --------------------------------------------------------------

TEST(PrtReaderFailure, MissingAndForeignFiles) {
  TempDir dir;
  prt::Particles particles;
  std::string message;
  const std::string missing = dir.file("nope.prt");
  EXPECT_FALSE(prt::Read(missing, 1, particles, message));
  EXPECT_EQ(message, "cannot open " + missing);

  const std::string path = dir.file("in.prt");
  EXPECT_EQ(readMessage(dir, Bytes(55, 0)), path + " is not a PRT file");
  Bytes file = buildPrt(positionsFile(1, 1));
  EXPECT_EQ(readMessage(dir, Bytes(file.begin(), file.begin() + 55)), path + " is not a PRT file");
  file[3] = 'X';
  EXPECT_EQ(readMessage(dir, file), path + " is not a PRT file");
  file[3] = 'T';
  file[5] = 0;  // only the first four magic bytes count
  EXPECT_EQ(readMessage(dir, file), "ok");
}

TEST(PrtReaderFailure, NegativeParticleCountIsNotAPrtFile) {
  TempDir dir;
  EXPECT_EQ(readMessage(dir, buildPrt(positionsFile(-1, 1))), dir.file("in.prt") + " is not a PRT file");
}

TEST(PrtReaderFailure, ChannelCountOutsideOneTo256) {
  TempDir dir;
  for (int count : {0, 257, 300, -1}) {
    PrtFileLayout layout = positionsFile(1, 1);
    layout.channels.resize(static_cast<std::size_t>(std::max(count, 0)), {"Position", kFloat32, 3, 0});
    Bytes file = buildPrt(layout);
    if (count < 0) std::memset(&file[60], 0xFF, 4);
    EXPECT_EQ(readMessage(dir, file), "bad PRT channel table") << count;
  }
  PrtFileLayout most = positionsFile(1, 1);
  most.channels.resize(256, {"Pad", kUInt8, 1, 0});
  EXPECT_EQ(readMessage(dir, buildPrt(most)), "ok");
}

TEST(PrtReaderFailure, TableOutsideTheFile) {
  TempDir dir;
  Bytes file = buildPrt(positionsFile(1, 1));
  for (std::int32_t offset : {-1, 1 << 30, static_cast<std::int32_t>(file.size()) - 4}) {
    Bytes moved = file;
    std::memcpy(&moved[8], &offset, 4);
    EXPECT_EQ(readMessage(dir, moved), "bad PRT channel table") << offset;
  }
}

TEST(PrtReaderFailure, TruncatedChannelTable) {
  TempDir dir;
  PrtFileLayout layout = positionsFile(1, 0);
  layout.channels.push_back({"Color", kFloat32, 3, 12});
  const Bytes file = buildPrt(layout);
  EXPECT_EQ(readMessage(dir, Bytes(file.begin(), file.begin() + 68 + 44 + 20)), "truncated PRT header");
  EXPECT_EQ(readMessage(dir, Bytes(file.begin(), file.begin() + 68)), "truncated PRT header");
}

TEST(PrtReaderFailure, ChannelRecordLengthsThatCannotBeRight) {
  TempDir dir;
  for (std::int32_t length : {-1, -44, 65537, INT32_MAX}) {
    Bytes file = buildPrt(positionsFile(1, 1));
    std::memcpy(&file[64], &length, 4);
    EXPECT_EQ(readMessage(dir, file), "bad PRT channel table") << length;
  }
}

TEST(PrtReaderFailure, ChannelsOutsideAnyRecord) {
  TempDir dir;
  const std::vector<RawChannel> bad = {
      {"Position", kFloat32, -3, 0},            // negative arity
      {"Position", kFloat32, 3, -12},           // negative offset
      {"Position", 99, 3, 0},                   // no size: records of 0 bytes
      {"Position", kFloat64, 3, 1 << 20},       // records over 1 MiB
      {"Position", kFloat64, INT32_MAX, INT32_MAX},  // would overflow 32 bits
  };
  for (const RawChannel& channel : bad) {
    PrtFileLayout layout = positionsFile(1, 1);
    layout.channels = {channel};
    EXPECT_EQ(readMessage(dir, buildPrt(layout)), "bad PRT channel table") << channel.arity << " " << channel.offset;
  }
  // An unknown type beside real data reads as zeros.
  PrtFileLayout unknown = positionsFile(1, 1);
  unknown.channels = {{"Position", 99, 3, 0}, {"Pad", kFloat32, 3, 0}};
  const ReadResult result = readBytes(dir, buildPrt(unknown));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.particles.positions, std::vector<float>(3, 0.f));
}

TEST(PrtReaderFailure, PositionMustBeThreeComponents) {
  TempDir dir;
  for (const RawChannel& channel : std::vector<RawChannel>{{"Position", kFloat32, 4, 0},
                                                           {"Position", kFloat32, 2, 0},
                                                           {"position", kFloat32, 3, 0},
                                                           {"Velocity", kFloat32, 3, 0}}) {
    PrtFileLayout layout = positionsFile(1, 1);
    layout.channels = {channel};
    EXPECT_EQ(readMessage(dir, buildPrt(layout)), "PRT has no Position channel") << channel.name;
  }
}

TEST(PrtReaderFailure, CountsNoMemoryCanHold) {
  TempDir dir;
  const std::int64_t huge = std::int64_t(1) << 62;
  EXPECT_EQ(readMessage(dir, buildPrt(positionsFile(0, 1))), "ok");
  PrtFileLayout layout = positionsFile(0, 1);
  layout.count = huge;
  EXPECT_EQ(readMessage(dir, buildPrt(layout)), "not enough memory for 4611686018427387904 particles");
  // A count far beyond what the data could hold reserves only what they can.
  layout.count = 1000000000000;
  EXPECT_EQ(readMessage(dir, buildPrt(layout)), "PRT ended after 1 of 1000000000000 particles");
}

TEST(PrtReaderFailure, InflaterMessagesStand) {
  TempDir dir;
  PrtFileLayout layout = positionsFile(2, 0);
  layout.compress = false;
  layout.records = {0x78, 0x9D, 0, 0};
  EXPECT_EQ(readMessage(dir, buildPrt(layout)), "not a zlib stream");
  layout.records = {};
  EXPECT_EQ(readMessage(dir, buildPrt(layout)), "not a zlib stream");
  layout.records = {0x78, 0xBB, 0, 0, 0, 0};
  EXPECT_EQ(readMessage(dir, buildPrt(layout)), "zlib preset dictionary not supported");
  layout.records = zlibCompress(positionRecords(2), 6);
  layout.records.resize(layout.records.size() - 6);
  EXPECT_EQ(readMessage(dir, buildPrt(layout)), "corrupt deflate data");
}

// ---- Our writer and our reader together --------------------------------------

TEST(PrtReader, ReadsWhatOurWriterWroteWithAllChannels) {
  using prt::DataType;
  const std::vector<prt::Channel> channels = {
      {"Position", DataType::Float32, 3}, {"Density", DataType::Float16, 1}, {"Velocity", DataType::Float32, 3},
      {"Color", DataType::Float16, 3},    {"Emission", DataType::Float16, 3}, {"Normal", DataType::Float16, 3},
      {"ID", DataType::Int32, 1},         {"Age", DataType::Float32, 1},      {"Source", DataType::UInt8, 1},
      {"Group", DataType::UInt8, 1},      {"Rest", DataType::Float32, 3}};
  TempDir dir;
  const std::string path = dir.file("ours.prt");
  const std::int64_t count = 300001;  // records straddle the 64 KiB output runs
  prt::Writer writer;
  std::string message;
  ASSERT_TRUE(writer.Open(path, count, channels, message));
  ASSERT_EQ(writer.recordSize(), 66);
  Bytes batch;
  for (std::int64_t i = 0; i < count; ++i) {
    std::uint8_t record[66] = {};
    const float position[3] = {float(i), float(-i) * 0.5f, 1.0f / float(i + 1)};
    std::memcpy(record, position, 12);
    const std::uint16_t density = prt::floatToHalf(float(i % 1000) / 7.0f);
    std::memcpy(record + 12, &density, 2);
    for (int c = 0; c < 3; ++c) {
      const std::uint16_t color = prt::floatToHalf(float(c + 1) * 0.1f), emission = prt::floatToHalf(float(i % 3));
      std::memcpy(record + 26 + 2 * c, &color, 2);
      std::memcpy(record + 32 + 2 * c, &emission, 2);
    }
    const auto id = static_cast<std::int32_t>(i);
    std::memcpy(record + 44, &id, 4);
    record[53] = 4;
    batch.insert(batch.end(), record, record + 66);
    if (batch.size() >= 66 * 4099 || i + 1 == count) {
      writer.Append(batch.data(), batch.size());
      batch.clear();
    }
  }
  ASSERT_TRUE(writer.Close(count, message)) << message;

  prt::Particles particles;
  ASSERT_TRUE(prt::Read(path, 1, particles, message)) << message;
  EXPECT_EQ(particles.channelNames.size(), 11u);
  ASSERT_EQ(particles.positions.size(), 3u * count);
  ASSERT_TRUE(particles.hasDensity && particles.hasColor && particles.hasEmission);
  for (std::int64_t i = 0; i < count; ++i) {
    ASSERT_EQ(particles.positions[3 * i], float(i));
    ASSERT_EQ(particles.positions[3 * i + 1], float(-i) * 0.5f);
    ASSERT_EQ(particles.positions[3 * i + 2], 1.0f / float(i + 1));
    ASSERT_EQ(particles.densities[i], prt::halfToFloat(prt::floatToHalf(float(i % 1000) / 7.0f)));
    ASSERT_EQ(particles.colors[3 * i + 2], prt::halfToFloat(prt::floatToHalf(0.3f)));
    ASSERT_EQ(particles.emissions[3 * i], float(i % 3));
  }
  prt::Particles every7;
  ASSERT_TRUE(prt::Read(path, 7, every7, message)) << message;
  ASSERT_EQ(every7.positions.size(), 3u * ((count + 6) / 7));
  EXPECT_EQ(every7.positions[3 * 5], 35.f);
}

TEST(PrtReader, ReadingAgainClearsThePreviousParticles) {
  TempDir dir;
  const std::string path = dir.file("in.prt");
  writeFile(path, buildPrt(positionsFile(4, 4)));
  prt::Particles particles;
  std::string message;
  ASSERT_TRUE(prt::Read(path, 1, particles, message));
  ASSERT_TRUE(prt::Read(path, 2, particles, message));
  EXPECT_EQ(particles.positions.size(), 6u);
  EXPECT_EQ(particles.channelNames.size(), 1u);
}
