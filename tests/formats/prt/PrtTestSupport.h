// Helpers shared by the PRT suites: temp files, real-zlib compression, an
// independent PRT file builder and our inflater driven from memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace prttest {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);

// zlib's own deflate, with any level and strategy (Z_DEFAULT_STRATEGY, Z_FILTERED, ...).
Bytes zlibCompress(const Bytes& data, int level, int strategy = 0);
// zlib's inflate of a whole zlib stream, Adler-32 checked; false when zlib refuses.
bool zlibDecompress(const Bytes& stream, Bytes& out);
// zlib's inflate of the raw DEFLATE data after the 2-byte header, trailer ignored.
bool zlibInflateRaw(const Bytes& stream, Bytes& out);

// Our inflater fed from memory in pieces of up to `piece` bytes.
struct InflateResult {
  bool ok = false;
  Bytes out;
  std::string message;
  std::vector<std::size_t> runs;  // sizes of the runs the sink received
};
InflateResult inflateBytes(const Bytes& stream, std::size_t piece = 65536);

// Test data of three kinds, deterministic for a seed.
Bytes randomBytes(std::size_t size, std::uint32_t seed);
Bytes repetitiveBytes(std::size_t size, std::uint32_t seed);
Bytes textBytes(std::size_t size, std::uint32_t seed);

// A channel as it is stored in the table, taken at face value.
struct RawChannel {
  std::string name;
  std::int32_t type;
  std::int32_t arity;
  std::int32_t offset;
};

// Builds a PRT file without our writer: header, channel table and `records`,
// compressed by real zlib at `level` unless `compress` is off (then `records`
// are appended as they are, to place any stream after the table).
struct PrtFileLayout {
  std::int64_t count = 0;
  std::vector<RawChannel> channels;
  Bytes records;
  int level = 6;
  bool compress = true;
  std::int32_t headerLength = 56;
  std::int32_t channelRecordLength = 44;
};
Bytes buildPrt(const PrtFileLayout& layout);

// Appends little-endian values to a byte vector.
void putLE(Bytes& out, std::uint64_t value, int bytes);

}  // namespace prttest
