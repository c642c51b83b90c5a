// The streaming writer: exact bytes of the header and stored blocks, and files
// that real zlib decompresses with a correct Adler-32.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>

#include "PrtTestSupport.h"
#include "formats/prt/PrtWriter.h"

using namespace prttest;
using prt::Channel;
using prt::DataType;

namespace {

// The exporter's full channel table.
std::vector<Channel> exporterChannels() {
  return {{"Position", DataType::Float32, 3}, {"Density", DataType::Float16, 1}, {"Velocity", DataType::Float32, 3},
          {"Color", DataType::Float16, 3},    {"Emission", DataType::Float16, 3}, {"Normal", DataType::Float16, 3},
          {"ID", DataType::Int32, 1},         {"Age", DataType::Float32, 1},      {"Source", DataType::UInt8, 1},
          {"Group", DataType::UInt8, 1},      {"Rest", DataType::Float32, 3}};
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}

// Writes `data` in batches of the given sizes (cycled) and closes.
bool writeRecords(const std::string& path, std::int64_t count, const std::vector<Channel>& channels, const Bytes& data,
               const std::vector<std::size_t>& batches, std::string& message) {
  prt::Writer writer;
  if (!writer.Open(path, count, channels, message)) return false;
  for (std::size_t at = 0, i = 0; at < data.size(); ++i) {
    const std::size_t n = std::min(batches[i % batches.size()], data.size() - at);
    writer.Append(data.data() + at, n);
    at += n;
  }
  return writer.Close(count, message);
}

std::size_t dataOffset(std::size_t channels) { return 68 + 44 * channels; }

}  // namespace

TEST(PrtWriter, ZeroParticlesGiveTheExactMinimalFile) {
  TempDir dir;
  const std::string path = dir.file("empty.prt");
  std::string message;
  ASSERT_TRUE(writeRecords(path, 0, {{"Position", DataType::Float32, 3}}, {}, {1}, message)) << message;

  Bytes expected = {0xC0, 'P', 'R', 'T', 0x0D, 0x0A, 0x1A, 0x0A, 56, 0, 0, 0};
  const char signature[32] = "Extensible Particle Format";
  expected.insert(expected.end(), signature, signature + 32);
  for (std::uint8_t b : {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 1, 0, 0, 0, 44, 0, 0, 0}) expected.push_back(b);
  const char name[32] = "Position";
  expected.insert(expected.end(), name, name + 32);
  for (std::uint8_t b : {4, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}) expected.push_back(b);
  for (std::uint8_t b : {0x78, 0x01, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01}) expected.push_back(b);
  EXPECT_EQ(readFile(path), expected);
}

TEST(PrtWriter, LaysOutTheExporterChannelsConsecutively) {
  TempDir dir;
  prt::Writer writer;
  std::string message;
  ASSERT_TRUE(writer.Open(dir.file("a.prt"), 0, exporterChannels(), message));
  EXPECT_EQ(writer.recordSize(), 66);
  const std::vector<std::int32_t> offsets = {0, 12, 14, 26, 32, 38, 44, 48, 52, 53, 54};
  ASSERT_EQ(writer.channels().size(), offsets.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(writer.channels()[i].offset, offsets[i]) << i;
  ASSERT_TRUE(writer.Close(0, message));

  const Bytes file = readFile(dir.file("a.prt"));
  EXPECT_EQ(le32(file, 60), 11u);
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    const std::size_t at = 68 + 44 * i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[at])), exporterChannels()[i].name);
    EXPECT_EQ(le32(file, at + 32), static_cast<std::uint32_t>(exporterChannels()[i].type));
    EXPECT_EQ(le32(file, at + 36), static_cast<std::uint32_t>(exporterChannels()[i].arity));
    EXPECT_EQ(le32(file, at + 40), static_cast<std::uint32_t>(offsets[i]));
  }
}

TEST(PrtWriter, NamesLongerThan31CharactersAreCut) {
  TempDir dir;
  prt::Writer writer;
  std::string message;
  const std::string longName(40, 'n');
  ASSERT_TRUE(writer.Open(dir.file("n.prt"), 0, {{longName, DataType::UInt8, 1}}, message));
  EXPECT_EQ(writer.channels()[0].name, std::string(31, 'n'));
  ASSERT_TRUE(writer.Close(0, message));
  const Bytes file = readFile(dir.file("n.prt"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[68]), 32), std::string(31, 'n') + '\0');
}

TEST(PrtWriter, StoredBlocksHoldExactly65535BytesWhateverTheBatches) {
  TempDir dir;
  for (std::size_t size : {1u, 65534u, 65535u, 65536u, 131070u, 400003u}) {
    for (const auto& batches : std::vector<std::vector<std::size_t>>{{1, 7, 1000}, {65535}, {65536}, {1u << 20}}) {
      if (size > 200000 && batches[0] == 1) continue;
      const Bytes data = randomBytes(size, static_cast<std::uint32_t>(size));
      const std::string path = dir.file("b.prt");
      std::string message;
      ASSERT_TRUE(writeRecords(path, static_cast<std::int64_t>(size), {{"Position", DataType::UInt8, 1}}, data,
                              batches, message))
          << message;
      const Bytes file = readFile(path);
      std::size_t at = dataOffset(1) + 2, copied = 0;
      for (bool final = false; !final;) {
        ASSERT_LE(at + 5, file.size());
        final = file[at] == 0x01;
        const std::size_t length = file[at + 1] | (file[at + 2] << 8);
        EXPECT_EQ(length ^ 0xFFFF, std::size_t(file[at + 3] | (file[at + 4] << 8)));
        if (!final) {
          EXPECT_EQ(file[at], 0x00);
        }
        EXPECT_EQ(length, final ? size % 65535 : 65535u) << size;
        ASSERT_EQ(std::memcmp(&file[at + 5], &data[copied], length), 0);
        copied += length;
        at += 5 + length;
      }
      EXPECT_EQ(copied, size);
      EXPECT_EQ(at + 4, file.size());  // then only the trailer
    }
  }
}

TEST(PrtWriter, RealZlibReadsTheStreamAndItsChecksum) {
  TempDir dir;
  const std::vector<Channel> channels = exporterChannels();
  for (std::int64_t count : {1, 993, 100000}) {
    const Bytes data = randomBytes(static_cast<std::size_t>(count) * 66, static_cast<std::uint32_t>(count));
    const std::string path = dir.file("z.prt");
    std::string message;
    ASSERT_TRUE(writeRecords(path, count, channels, data, {66 * 1000, 66, 66 * 7}, message)) << message;
    const Bytes file = readFile(path);
    // An independent reader: the header by hand, the stream by zlib, which
    // also verifies the Adler-32 trailer.
    ASSERT_EQ(std::memcmp(file.data(), "\xC0PRT\r\n\x1A\n", 8), 0);
    std::int64_t written;
    std::memcpy(&written, &file[48], 8);
    EXPECT_EQ(written, count);
    const Bytes stream(file.begin() + static_cast<std::ptrdiff_t>(dataOffset(channels.size())), file.end());
    Bytes out;
    ASSERT_TRUE(zlibDecompress(stream, out)) << count;
    EXPECT_TRUE(out == data) << count;
  }
}

TEST(PrtWriter, CountMismatchIsReportedAndTheFileStays) {
  TempDir dir;
  const std::string path = dir.file("m.prt");
  prt::Writer writer;
  std::string message;
  ASSERT_TRUE(writer.Open(path, 10, {{"Position", DataType::Float32, 3}}, message));
  const Bytes records(9 * 12, 0);
  writer.Append(records.data(), records.size());
  EXPECT_FALSE(writer.Close(9, message));
  EXPECT_EQ(message, "PRT count mismatch");
  EXPECT_TRUE(std::filesystem::exists(path));
  const Bytes file = readFile(path);
  Bytes out;
  EXPECT_TRUE(zlibDecompress(Bytes(file.begin() + 68 + 44, file.end()), out));
  EXPECT_EQ(out.size(), records.size());
}

TEST(PrtWriter, UnwritablePathIsReportedWithThePath) {
  TempDir dir;
  const std::string path = dir.file("missing/dir/x.prt");
  prt::Writer writer;
  std::string message;
  EXPECT_FALSE(writer.Open(path, 1, {{"Position", DataType::Float32, 3}}, message));
  EXPECT_EQ(message, "cannot write " + path);
  // A caller that goes on anyway learns nothing was written.
  writer.Append("abc", 3);
  EXPECT_FALSE(writer.Close(1, message));
  EXPECT_EQ(message, "PRT write error");
  EXPECT_FALSE(writer.Open("/dev/full", 1, {{"Position", DataType::Float32, 3}}, message));
  EXPECT_EQ(message, "cannot write /dev/full");
}

TEST(PrtWriter, WriteErrorAfterOpenIsReportedAtClose) {
  TempDir dir;
  const std::string path = dir.file("limited.prt");
  // A file-size limit makes writes past 100 kB fail (instead of signalling).
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  prt::Writer writer;
  std::string message;
  const bool opened = writer.Open(path, 20000, {{"Position", DataType::Float32, 3}}, message);
  const Bytes records(20000 * 12, 1);
  writer.Append(records.data(), records.size());
  const bool closed = writer.Close(20000, message);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_TRUE(opened);
  EXPECT_FALSE(closed);
  EXPECT_EQ(message, "PRT write error");
  EXPECT_EQ(std::filesystem::file_size(path), 100000u);  // the partial file stays
}

TEST(PrtWriter, Utf8PathsAreWrittenAsNamed) {
  TempDir dir;
  const std::string path = dir.file("t\xC3\xAFnte_\xE6\xB0\xB4.prt");  // "tïnte_水.prt"
  std::string message;
  ASSERT_TRUE(writeRecords(path, 0, {{"Position", DataType::Float32, 3}}, {}, {1}, message)) << message;
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));
}

TEST(PrtWriter, OpeningAgainStartsAFreshFile) {
  TempDir dir;
  prt::Writer writer;
  std::string message;
  ASSERT_TRUE(writer.Open(dir.file("first.prt"), 5, {{"Position", DataType::Float32, 3}}, message));
  writer.Append("xxxxxxxxxxxx", 12);
  ASSERT_TRUE(writer.Open(dir.file("second.prt"), 1, {{"ID", DataType::Int32, 1}}, message));
  const std::int32_t id = 7;
  writer.Append(&id, 4);
  ASSERT_TRUE(writer.Close(1, message)) << message;
  const Bytes file = readFile(dir.file("second.prt"));
  EXPECT_EQ(file[48], 1);  // the second count
  Bytes out;
  ASSERT_TRUE(zlibDecompress(Bytes(file.begin() + 68 + 44, file.end()), out));
  EXPECT_EQ(out, Bytes({7, 0, 0, 0}));
}
