// Layout of PRT particle files ("Extensible Particle Format", version 1): the
// fixed header, the channel table and the data type codes shared by the
// writer and the reader. Integers in the file are little-endian.
#pragma once

#include <cstdint>
#include <string>

namespace prt {

// Data type codes of a channel, in the format's own numbering.
enum class DataType : std::int32_t {
  Int16 = 0,
  Int32 = 1,
  Int64 = 2,
  Float16 = 3,
  Float32 = 4,
  Float64 = 5,
  UInt16 = 6,
  UInt32 = 7,
  UInt64 = 8,
  Int8 = 9,
  UInt8 = 10,
};

// Bytes of one component of the type code; 0 for codes the format does not define.
int dataTypeSize(std::int32_t code);

// One named channel of a particle record: `arity` consecutive components of
// `type` at byte `offset` inside each record.
struct Channel {
  std::string name;
  DataType type = DataType::Float32;
  std::int32_t arity = 1;
  std::int32_t offset = 0;
};

inline constexpr std::uint8_t kMagic[8] = {0xC0, 'P', 'R', 'T', 0x0D, 0x0A, 0x1A, 0x0A};
inline constexpr char kSignature[] = "Extensible Particle Format";
inline constexpr std::int32_t kHeaderLength = 56;  // also the offset of the channel table
inline constexpr std::int32_t kVersion = 1;
inline constexpr std::int32_t kReserved = 4;
inline constexpr std::int32_t kChannelRecordLength = 44;
inline constexpr int kChannelNameBytes = 32;  // zero-terminated, so at most 31 characters
inline constexpr int kMaxChannels = 256;

}  // namespace prt
