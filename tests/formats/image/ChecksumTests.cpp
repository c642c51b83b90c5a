// The PNG writer's building blocks against zlib: CRC-32 and Adler-32 over
// pieces of any size, and stored zlib streams around the 65535-byte block
// limit.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "formats/image/Checksums.h"
#include "formats/image/StoredZlib.h"

namespace formats {
namespace {

std::vector<std::uint8_t> randomBytes(std::size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> v(count);
  for (auto& b : v) b = static_cast<std::uint8_t>(rng());
  return v;
}

TEST(Checksums, KnownValues) {
  const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  Crc32 crc;
  crc.update(digits, sizeof digits);
  EXPECT_EQ(crc.value(), 0xCBF43926u);  // the CRC-32 check value
  util::Adler32 adler;
  adler.update(digits, sizeof digits);
  EXPECT_EQ(adler.value(), 0x091E01DEu);
  EXPECT_EQ(Crc32().value(), 0u);
  EXPECT_EQ(util::Adler32().value(), 1u);
}

TEST(Checksums, MatchZlibForAnyLengthAndSplit) {
  // All 0xFF bytes drive the Adler sums to their largest before each modulo.
  std::vector<std::uint8_t> saturated(200000, 0xFF);
  for (const auto& data : {randomBytes(100003, 1), saturated}) {
    for (std::size_t length : {0, 1, 7, 8, 9, 5551, 5552, 5553, 65536, 100003}) {
      if (length > data.size()) continue;
      for (std::size_t split : {std::size_t(0), length / 3, length}) {
        Crc32 crc;
        util::Adler32 adler;
        crc.update(data.data(), split);
        crc.update(data.data() + split, length - split);
        adler.update(data.data(), split);
        adler.update(data.data() + split, length - split);
        EXPECT_EQ(crc.value(), ::crc32(0, data.data(), uInt(length))) << length << " split " << split;
        EXPECT_EQ(adler.value(), ::adler32(1, data.data(), uInt(length))) << length << " split " << split;
      }
    }
  }
}

struct StoredStream {
  std::vector<std::uint8_t> bytes;

  explicit StoredStream(const std::vector<std::uint8_t>& data, std::size_t piece) {
    StoredZlibWriter writer(data.size(), [this](const std::uint8_t* p, std::size_t n) { bytes.insert(bytes.end(), p, p + n); });
    for (std::size_t at = 0; at < data.size(); at += piece) writer.write(data.data() + at, std::min(piece, data.size() - at));
    writer.finish();
  }

  std::vector<std::uint8_t> inflated(std::size_t expectedSize) const {
    std::vector<std::uint8_t> out(expectedSize + 1);
    uLongf size = uLongf(out.size());
    EXPECT_EQ(::uncompress(out.data(), &size, bytes.data(), uLong(bytes.size())), Z_OK);
    out.resize(size);
    return out;
  }
};

TEST(StoredZlib, ExactlyOneFullBlock) {
  const auto data = randomBytes(65535, 2);
  const StoredStream s(data, 1000);
  ASSERT_EQ(s.bytes.size(), 2 + 5 + 65535 + 4u);
  EXPECT_EQ(s.bytes.size(), StoredZlibWriter::streamBytes(65535));
  EXPECT_EQ(s.bytes[0], 0x78);
  EXPECT_EQ(s.bytes[1], 0x01);
  EXPECT_EQ(s.bytes[2], 1);  // BFINAL, stored
  EXPECT_EQ(s.bytes[3] | s.bytes[4] << 8, 0xFFFF);
  EXPECT_EQ(s.bytes[5] | s.bytes[6] << 8, 0x0000);
  EXPECT_EQ(s.inflated(data.size()), data);
}

TEST(StoredZlib, OneByteMoreStartsASecondBlock) {
  const auto data = randomBytes(65536, 3);
  const StoredStream s(data, 65536);
  ASSERT_EQ(s.bytes.size(), 2 + 5 + 65535 + 5 + 1 + 4u);
  EXPECT_EQ(s.bytes.size(), StoredZlibWriter::streamBytes(65536));
  EXPECT_EQ(s.bytes[2], 0);  // not final
  const std::size_t second = 2 + 5 + 65535;
  EXPECT_EQ(s.bytes[second], 1);
  EXPECT_EQ(s.bytes[second + 1] | s.bytes[second + 2] << 8, 1);
  EXPECT_EQ(s.bytes[second + 3] | s.bytes[second + 4] << 8, 0xFFFE);
  EXPECT_EQ(s.inflated(data.size()), data);
}

TEST(StoredZlib, TrailerIsTheBigEndianAdlerOfTheData) {
  const auto data = randomBytes(200000, 4);
  const StoredStream s(data, 777);
  const std::uint32_t adler = ::adler32(1, data.data(), uInt(data.size()));
  const std::size_t end = s.bytes.size();
  EXPECT_EQ(std::uint32_t(s.bytes[end - 4]) << 24 | s.bytes[end - 3] << 16 | s.bytes[end - 2] << 8 | s.bytes[end - 1], adler);
  EXPECT_EQ(s.bytes.size(), StoredZlibWriter::streamBytes(data.size()));
  EXPECT_EQ(s.inflated(data.size()), data);
}

TEST(StoredZlib, EmptyDataIsOneEmptyFinalBlock) {
  const StoredStream s({}, 1);
  EXPECT_EQ(s.bytes, (std::vector<std::uint8_t>{0x78, 0x01, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 1}));
  EXPECT_EQ(s.bytes.size(), StoredZlibWriter::streamBytes(0));
  EXPECT_TRUE(s.inflated(0).empty());
}

}  // namespace
}  // namespace formats
