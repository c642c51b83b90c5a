// The bytes of written volumes against layouts computed by hand.

#include "VdbTestSupport.h"
#include "formats/vdb/VdbIdentifier.h"

#include <regex>

using vdbtest::DenseCells;
using vdbtest::ReadBytes;
using vdbtest::ScratchPath;
using vdbtest::WriteOrFail;

namespace {

// Sequential little-endian reads over a file's bytes.
class ByteReader {
 public:
  explicit ByteReader(const std::vector<char>& bytes, size_t at = 0) : bytes_(bytes), at_(at) {}
  template <typename T>
  T get() {
    T value{};
    if (at_ + sizeof value > bytes_.size()) throw std::out_of_range("read past the end");
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::string raw(size_t n) {
    if (at_ + n > bytes_.size()) throw std::out_of_range("read past the end");
    std::string text(bytes_.data() + at_, n);
    at_ += n;
    return text;
  }
  std::string string() { return raw(static_cast<size_t>(get<int32_t>())); }
  size_t at() const { return at_; }

 private:
  const std::vector<char>& bytes_;
  size_t at_;
};

// Fixed section sizes of a file whose grid is named "density".
constexpr size_t kHeaderBytes = 8 + 4 + 4 + 4 + 1 + 36 + 4 + 4;
constexpr size_t kDescriptorBytes = (4 + 7) + (4 + 16) + 4 + 3 * 8;
constexpr size_t kMetadataBytes = 4 + (9 + 10 + 4 + 10) + 2 * (17 + 9 + 4 + 12) +
                                  (20 + 10 + 4 + 4) + (18 + 9 + 4 + 8) + (20 + 9 + 4 + 8) +
                                  (8 + 10 + 4 + 7);
constexpr size_t kTransformBytes = (4 + 15) + 5 * 3 * 8;
constexpr size_t kRootBytes = 4 + 4 + 4 + 4;
constexpr size_t kRootChildBytes = 12 + 4096 + 4096 + 1 + 32768 * 4;
constexpr size_t kLevel1Bytes = 512 + 512 + 1 + 4096 * 4;
constexpr size_t kLeafTopologyBytes = 64;
constexpr size_t kLeafBufferBytes = 64 + 1 + 512 * 4;
constexpr size_t kGridPosition = kHeaderBytes + kDescriptorBytes;
constexpr size_t kTopologyPosition = kGridPosition + 4 + kMetadataBytes + kTransformBytes;

struct Positions {
  int64_t grid, block, end;
};

Positions ReadDescriptor(ByteReader& in) {
  EXPECT_EQ(in.string(), "density");
  EXPECT_EQ(in.string(), "Tree_float_5_4_3");
  EXPECT_EQ(in.string(), "");
  const auto grid = in.get<int64_t>();
  const auto block = in.get<int64_t>();
  return {grid, block, in.get<int64_t>()};
}

}  // namespace

TEST(VdbIdentifier, SplitsTheTwoDrawsIntoTheFiveFields) {
  EXPECT_EQ(formats::vdb::FormatIdentifier(0x0123456789ABCDEFull, 0xFEDCBA9876543210ull),
            "01234567-89ab-cdef-fedc-ba9876543210");
  EXPECT_EQ(formats::vdb::FormatIdentifier(0, 0), "00000000-0000-0000-0000-000000000000");
}

TEST(VdbIdentifier, IdentifiersAreLowercaseHexAndFollowTheirSeed) {
  const std::string first = formats::vdb::IdentifierFor(1);
  EXPECT_TRUE(std::regex_match(first, std::regex("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}")))
      << first;
  EXPECT_EQ(first, formats::vdb::IdentifierFor(1));
  EXPECT_NE(first, formats::vdb::IdentifierFor(2));
}

TEST(VdbFileLayout, HeaderAndDescriptorOfAnEmptyFrame) {
  const std::string path = ScratchPath("empty.vdb");
  DenseCells cells(32, 32, 32, -16, -16, -16);
  EXPECT_EQ(WriteOrFail(path, cells, 0.5, 0.0f), 0u);
  const auto bytes = ReadBytes(path);

  ByteReader in(bytes);
  EXPECT_EQ(in.raw(8), std::string("\x20\x42\x44\x56\0\0\0\0", 8));
  EXPECT_EQ(in.get<uint32_t>(), 224u);
  EXPECT_EQ(in.get<uint32_t>(), 9u);
  EXPECT_EQ(in.get<uint32_t>(), 1u);
  EXPECT_EQ(in.get<uint8_t>(), 1u);
  EXPECT_TRUE(std::regex_match(in.raw(36), std::regex("[0-9a-f-]{36}")));
  EXPECT_EQ(in.get<int32_t>(), 0);  // file metadata
  EXPECT_EQ(in.get<int32_t>(), 1);  // grids
  const Positions at = ReadDescriptor(in);

  EXPECT_EQ(at.grid, static_cast<int64_t>(kGridPosition));
  EXPECT_EQ(at.block, static_cast<int64_t>(kTopologyPosition + kRootBytes));
  EXPECT_EQ(at.end, at.block);  // no leaf buffers
  EXPECT_EQ(bytes.size(), static_cast<size_t>(at.end));

  ByteReader topology(bytes, kTopologyPosition);
  EXPECT_EQ(topology.get<int32_t>(), 1);     // buffer count
  EXPECT_EQ(topology.get<float>(), 0.0f);    // background
  EXPECT_EQ(topology.get<int32_t>(), 0);     // tiles
  EXPECT_EQ(topology.get<int32_t>(), 0);     // children
}

TEST(VdbFileLayout, MetadataEntriesInOrderWithTheirValues) {
  const std::string path = ScratchPath("meta.vdb");
  DenseCells cells(32, 32, 32, -16, -16, -16);
  cells(0, 3, 5) = 2.0f;    // index (-16, -13, -11)
  cells(20, 31, 9) = 1.0f;  // index (4, 15, -7)
  EXPECT_EQ(WriteOrFail(path, cells, 0.25, 0.0f), 2u);
  const auto bytes = ReadBytes(path);

  ByteReader in(bytes, kGridPosition);
  EXPECT_EQ(in.get<int32_t>(), 0);  // compression
  EXPECT_EQ(in.get<int32_t>(), 7);
  auto entry = [&](const char* name, const char* type, int32_t size) {
    EXPECT_EQ(in.string(), name);
    EXPECT_EQ(in.string(), type);
    EXPECT_EQ(in.get<int32_t>(), size) << name;
  };
  entry("class", "string", 10);
  EXPECT_EQ(in.raw(10), "fog volume");
  entry("file_bbox_max", "vec3i", 12);
  EXPECT_EQ(in.get<int32_t>(), 4);
  EXPECT_EQ(in.get<int32_t>(), 15);
  EXPECT_EQ(in.get<int32_t>(), -7);
  entry("file_bbox_min", "vec3i", 12);
  EXPECT_EQ(in.get<int32_t>(), -16);
  EXPECT_EQ(in.get<int32_t>(), -13);
  EXPECT_EQ(in.get<int32_t>(), -11);
  entry("file_compression", "string", 4);
  EXPECT_EQ(in.raw(4), "none");
  entry("file_mem_bytes", "int64", 8);
  EXPECT_EQ(in.get<int64_t>(), 2 * 2112);
  entry("file_voxel_count", "int64", 8);
  EXPECT_EQ(in.get<int64_t>(), 2);
  entry("name", "string", 7);
  EXPECT_EQ(in.raw(7), "density");

  EXPECT_EQ(in.string(), "UniformScaleMap");
  const double expected[5] = {0.25, 0.25, 4.0, 16.0, 2.0};
  for (double value : expected)
    for (int axis = 0; axis < 3; ++axis) EXPECT_EQ(in.get<double>(), value);
  EXPECT_EQ(in.at(), kTopologyPosition);
}

TEST(VdbFileLayout, OneLeafTopologyAndBufferSitWhereThePositionsSay) {
  const std::string path = ScratchPath("one_leaf.vdb");
  DenseCells cells(8, 8, 8, 128, 256, 384);
  cells(1, 2, 3) = 0.75f;  // index (129, 258, 387) in the leaf at (128, 256, 384)
  EXPECT_EQ(WriteOrFail(path, cells, 1.0, 0.0f), 1u);
  const auto bytes = ReadBytes(path);
  ByteReader header(bytes, kHeaderBytes);
  const Positions at = ReadDescriptor(header);
  const size_t block = kTopologyPosition + kRootBytes + kRootChildBytes + kLevel1Bytes + kLeafTopologyBytes;
  EXPECT_EQ(at.block, static_cast<int64_t>(block));
  EXPECT_EQ(at.end, static_cast<int64_t>(block + kLeafBufferBytes));
  EXPECT_EQ(bytes.size(), block + kLeafBufferBytes);

  ByteReader in(bytes, kTopologyPosition + 12);
  EXPECT_EQ(in.get<int32_t>(), 1);  // one root child
  EXPECT_EQ(in.get<int32_t>(), 0);
  EXPECT_EQ(in.get<int32_t>(), 0);
  EXPECT_EQ(in.get<int32_t>(), 0);
  const std::string rootMask = in.raw(4096);
  const int level2Offset = 1 * 1024 + 2 * 32 + 3;
  for (int n = 0; n < 4096 * 8; ++n)
    ASSERT_EQ((rootMask[n >> 3] >> (n & 7)) & 1, n == level2Offset ? 1 : 0) << n;
  EXPECT_EQ(in.raw(4096), std::string(4096, '\0'));
  EXPECT_EQ(in.get<uint8_t>(), 6u);
  EXPECT_EQ(in.raw(32768 * 4), std::string(32768 * 4, '\0'));

  const std::string level1Mask = in.raw(512);
  EXPECT_EQ(level1Mask[0], 1);  // the leaf at (128, 256, 384) has level-1 offset 0
  EXPECT_EQ(level1Mask.substr(1), std::string(511, '\0'));
  EXPECT_EQ(in.raw(512), std::string(512, '\0'));
  EXPECT_EQ(in.get<uint8_t>(), 6u);
  EXPECT_EQ(in.raw(4096 * 4), std::string(4096 * 4, '\0'));
  EXPECT_EQ(in.get<uint64_t>(), 0u);
  EXPECT_EQ(in.get<uint64_t>(), uint64_t{1} << 19);  // word x & 7 = 1, bit 2 * 8 + 3

  ByteReader buffer(bytes, block);
  EXPECT_EQ(buffer.get<uint64_t>(), 0u);
  EXPECT_EQ(buffer.get<uint64_t>(), uint64_t{1} << 19);
  buffer.raw(6 * 8);
  EXPECT_EQ(buffer.get<uint8_t>(), 6u);
  for (int v = 0; v < 512; ++v) ASSERT_EQ(buffer.get<float>(), v == 83 ? 0.75f : 0.0f) << v;
}

// A frame written again (on another machine of a farm) is the same file;
// other contents get another identifier.
TEST(VdbFileLayout, TheSameVolumeGivesTheSameBytesAndOthersAnotherIdentifier) {
  DenseCells cells(32, 32, 32, -16, -16, -16);
  for (int k = 0; k < 32; k += 3) cells(k, 31 - k, k / 2) = 1.0f + static_cast<float>(k);
  const std::string first = ScratchPath("first.vdb"), second = ScratchPath("second.vdb");
  WriteOrFail(first, cells, 0.1, 0.5f);
  WriteOrFail(second, cells, 0.1, 0.5f);
  EXPECT_EQ(ReadBytes(first), ReadBytes(second));
  cells(0, 0, 0) = 0.25f;  // below the cutoff: stored nowhere, yet another grid
  WriteOrFail(second, cells, 0.1, 0.5f);
  auto a = ReadBytes(first), b = ReadBytes(second);
  ASSERT_EQ(a.size(), b.size());
  const size_t identifier = kHeaderBytes - 8 - 36;
  EXPECT_NE(std::string(a.data() + identifier, 36), std::string(b.data() + identifier, 36));
}
