#include "formats/prt/PrtReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "formats/prt/BinaryFile.h"
#include "formats/prt/ByteOrder.h"
#include "formats/prt/Half.h"
#include "formats/prt/Inflate.h"
#include "formats/prt/PrtFormat.h"

namespace prt {

namespace {

// Limits that no real file approaches; larger values are damage, and taking
// them at face value would mean huge allocations.
constexpr std::int32_t kMaxChannelRecordLength = 65536;
constexpr std::int64_t kMaxRecordSize = std::int64_t(1) << 20;
// DEFLATE's densest coding: a 258-byte match in two 1-bit codes.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// Where one channel that the reader keeps lies in a record.
struct Field {
  std::int32_t type = -1;
  std::int32_t size = 0;  // bytes per component; 0 for unknown types, which read as 0
  std::int32_t offset = 0;
  int components = 0;     // components taken; 0 when the channel is absent or unused
};

float decodeValue(std::int32_t type, const std::uint8_t* p) {
  switch (static_cast<DataType>(type)) {
    case DataType::Int16: return static_cast<std::int16_t>(loadLE16(p));
    case DataType::Int32: return static_cast<float>(static_cast<std::int32_t>(loadLE32(p)));
    case DataType::Float16: return halfToFloat(loadLE16(p));
    case DataType::Float32: {
      const std::uint32_t bits = loadLE32(p);
      float value;
      std::memcpy(&value, &bits, 4);
      return value;
    }
    case DataType::Float64: {
      const std::uint64_t bits = loadLE64(p);
      double value;
      std::memcpy(&value, &bits, 8);
      return static_cast<float>(value);
    }
    case DataType::Int8: return static_cast<std::int8_t>(p[0]);
    case DataType::UInt8: return static_cast<float>(p[0]) / 255.0f;
    default: return 0.0f;  // int64, the unsigned wide types and unknown codes
  }
}

// Cuts the decoded stream into records and keeps every stride-th one below
// the declared count.
class RecordCutter {
 public:
  RecordCutter(std::size_t recordSize, std::uint64_t count, std::uint64_t stride, const Field (&fields)[4],
               Particles& out)
      : recordSize_(recordSize),
        count_(count),
        stride_(stride),
        fields_(fields),
        nextKept_(count == 0 ? std::numeric_limits<std::uint64_t>::max() : 0) {
    arrays_[0] = &out.positions;
    arrays_[1] = &out.densities;
    arrays_[2] = &out.colors;
    arrays_[3] = &out.emissions;
  }

  bool take(const std::uint8_t* bytes, std::size_t size) {
    try {
      if (partialBytes_ > 0) {
        const std::size_t n = std::min(size, recordSize_ - partialBytes_);
        std::memcpy(partial_.data() + partialBytes_, bytes, n);
        partialBytes_ += n;
        bytes += n;
        size -= n;
        if (partialBytes_ < recordSize_) return true;
        if (records_ == nextKept_) keep(partial_.data());
        ++records_;
        partialBytes_ = 0;
      }
      // Whole records of this run: visit only the kept ones.
      const std::uint64_t whole = size / recordSize_;
      while (nextKept_ < records_ + whole) keep(bytes + (nextKept_ - records_) * recordSize_);
      records_ += whole;
      bytes += whole * recordSize_;
      size -= whole * recordSize_;
      if (size > 0) {
        partial_.resize(recordSize_);
        std::memcpy(partial_.data(), bytes, size);
        partialBytes_ = size;
      }
      return true;
    } catch (const std::bad_alloc&) {
      outOfMemory_ = true;
      return false;
    } catch (const std::length_error&) {
      outOfMemory_ = true;
      return false;
    }
  }

  std::uint64_t records() const { return records_; }
  bool outOfMemory() const { return outOfMemory_; }

 private:
  void keep(const std::uint8_t* record) {
    for (int i = 0; i < 4; ++i) {
      const Field& field = fields_[i];
      for (int c = 0; c < field.components; ++c)
        arrays_[i]->push_back(decodeValue(field.type, record + field.offset + c * field.size));
    }
    // Past the count nothing more is kept.
    nextKept_ = stride_ < count_ - nextKept_ ? nextKept_ + stride_ : std::numeric_limits<std::uint64_t>::max();
  }

  const std::size_t recordSize_;
  const std::uint64_t count_;
  const std::uint64_t stride_;
  const Field (&fields_)[4];
  std::vector<float>* arrays_[4];
  std::vector<std::uint8_t> partial_;  // a record split between two runs
  std::size_t partialBytes_ = 0;
  std::uint64_t records_ = 0;
  std::uint64_t nextKept_;  // index of the next record to keep; max when none
  bool outOfMemory_ = false;
};

bool readExact(std::FILE* file, void* buffer, std::size_t size) {
  return std::fread(buffer, 1, size, file) == size;
}

std::int32_t int32At(const std::uint8_t* p) { return static_cast<std::int32_t>(loadLE32(p)); }

// Bytes from the current position to the end of the file.
std::uint64_t bytesLeft(std::FILE* file) {
  const std::int64_t here = tellFile(file);
  if (here < 0 || !seekFile(file, 0, SEEK_END)) return std::numeric_limits<std::uint64_t>::max();
  const std::int64_t end = tellFile(file);
  seekFile(file, here, SEEK_SET);
  return end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

}  // namespace

bool Read(const std::string& path, std::int64_t stride, Particles& out, std::string& message) {
  out = Particles();
  const FilePtr file = openBinaryFile(path, "rb");
  if (!file) {
    message = "cannot open " + path;
    return false;
  }

  std::uint8_t header[56] = {};
  const bool headerRead = readExact(file.get(), header, sizeof header);
  const std::int64_t count = static_cast<std::int64_t>(loadLE64(header + 48));
  // A negative count cannot describe any data.
  if (!headerRead || std::memcmp(header, kMagic, 4) != 0 || count < 0) {
    message = path + " is not a PRT file";
    return false;
  }

  std::uint8_t table[12];
  const std::int32_t tableOffset = int32At(header + 8);
  if (tableOffset < 0 || !seekFile(file.get(), tableOffset, SEEK_SET) || !readExact(file.get(), table, 12)) {
    message = "bad PRT channel table";
    return false;
  }
  const std::int32_t channelCount = int32At(table + 4);
  const std::int32_t recordLength = int32At(table + 8);
  if (channelCount < 1 || channelCount > kMaxChannels || recordLength < 0 ||
      recordLength > kMaxChannelRecordLength) {
    message = "bad PRT channel table";
    return false;
  }

  // Channels kept, in the order of Particles' arrays.
  static constexpr const char* kKeptNames[4] = {"Position", "Density", "Color", "Emission"};
  Field fields[4];
  std::int32_t arities[4] = {-1, -1, -1, -1};  // -1: no such channel
  std::int64_t recordSize = 0;
  std::vector<std::uint8_t> record(std::max(recordLength, kChannelRecordLength));
  for (std::int32_t i = 0; i < channelCount; ++i) {
    std::fill(record.begin(), record.end(), 0);
    if (!readExact(file.get(), record.data(), static_cast<std::size_t>(recordLength))) {
      message = "truncated PRT header";
      return false;
    }
    const auto* name = reinterpret_cast<const char*>(record.data());
    out.channelNames.emplace_back(name, strnlen(name, kChannelNameBytes));
    const std::int32_t type = int32At(record.data() + 32);
    const std::int32_t arity = int32At(record.data() + 36);
    const std::int32_t offset = int32At(record.data() + 40);
    if (arity < 0 || offset < 0) {
      message = "bad PRT channel table";
      return false;
    }
    const int size = dataTypeSize(type);
    recordSize = std::max(recordSize, offset + std::int64_t(arity) * size);
    for (int k = 0; k < 4; ++k) {
      if (arities[k] >= 0 || out.channelNames.back() != kKeptNames[k]) continue;
      arities[k] = arity;
      fields[k] = Field{type, size, offset, 0};
    }
  }
  // Every channel now lies inside [0, recordSize).
  if (recordSize == 0 || recordSize > kMaxRecordSize) {
    message = "bad PRT channel table";
    return false;
  }
  if (arities[0] != 3) {
    message = "PRT has no Position channel";
    return false;
  }
  fields[0].components = 3;
  // A density channel without components has nothing to read.
  out.hasDensity = arities[1] >= 1;
  out.hasColor = arities[2] >= 3;
  out.hasEmission = arities[3] >= 3;
  fields[1].components = out.hasDensity ? 1 : 0;
  fields[2].components = out.hasColor ? 3 : 0;
  fields[3].components = out.hasEmission ? 3 : 0;

  // Reserve for every kept particle, but no more than the data left in the
  // file can hold at DEFLATE's densest: a damaged count must not commit
  // memory that no data can fill.
  const auto k = static_cast<std::uint64_t>(std::max<std::int64_t>(stride, 1));
  const auto n = static_cast<std::uint64_t>(count);
  const std::uint64_t kept = n == 0 ? 0 : (n - 1) / k + 1;
  const std::uint64_t dataBytes = bytesLeft(file.get());
  const std::uint64_t possibleRecords =
      dataBytes > std::numeric_limits<std::uint64_t>::max() / kMaxInflateRatio
          ? std::numeric_limits<std::uint64_t>::max()
          : dataBytes * kMaxInflateRatio / static_cast<std::uint64_t>(recordSize) + 1;
  const std::uint64_t reserved = std::min(kept, (possibleRecords - 1) / k + 1);
  try {
    if (kept > out.positions.max_size() / 3) throw std::length_error("particle count");
    out.positions.reserve(reserved * 3);
    if (out.hasDensity) out.densities.reserve(reserved);
    if (out.hasColor) out.colors.reserve(reserved * 3);
    if (out.hasEmission) out.emissions.reserve(reserved * 3);
  } catch (const std::exception&) {
    message = "not enough memory for " + std::to_string(count) + " particles";
    return false;
  }

  RecordCutter cutter(static_cast<std::size_t>(recordSize), n, k, fields, out);
  std::FILE* const input = file.get();
  const bool inflated = Inflate(
      [input](std::uint8_t* buffer, std::size_t capacity) { return std::fread(buffer, 1, capacity, input); },
      [&cutter](const std::uint8_t* bytes, std::size_t size) { return cutter.take(bytes, size); }, message);
  if (cutter.outOfMemory()) {
    message = "not enough memory for " + std::to_string(count) + " particles";
    return false;
  }
  if (!inflated) return false;
  if (cutter.records() < n) {
    message = "PRT ended after " + std::to_string(cutter.records()) + " of " + std::to_string(count) + " particles";
    return false;
  }
  return true;
}

}  // namespace prt
