#include "formats/image/StoredZlib.h"

#include <algorithm>
#include <array>
#include <utility>

namespace formats {

std::uint64_t StoredZlibWriter::streamBytes(std::uint64_t dataBytes) {
  const std::uint64_t blocks = std::max<std::uint64_t>(1, (dataBytes + kMaxBlockBytes - 1) / kMaxBlockBytes);
  return 2 + 5 * blocks + dataBytes + 4;
}

StoredZlibWriter::StoredZlibWriter(std::uint64_t dataBytes, ByteSink sink)
    : sink_(std::move(sink)), dataLeft_(dataBytes) {
  // CMF 0x78: deflate with a 32 KiB window; FLG 0x01: fastest level, no
  // dictionary, and 0x7801 is a multiple of 31 as the header check requires.
  const std::array<std::uint8_t, 2> header{0x78, 0x01};
  sink_(header.data(), header.size());
}

void StoredZlibWriter::beginBlock() {
  const auto length = static_cast<std::uint16_t>(std::min<std::uint64_t>(dataLeft_, kMaxBlockBytes));
  const auto complement = static_cast<std::uint16_t>(~length);
  // BFINAL marks the block that reaches the end; block type 00 is stored.
  const std::array<std::uint8_t, 5> header{
      static_cast<std::uint8_t>(length == dataLeft_ ? 1 : 0),
      static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>(length >> 8),
      static_cast<std::uint8_t>(complement & 0xFF), static_cast<std::uint8_t>(complement >> 8)};
  sink_(header.data(), header.size());
  blockLeft_ = length;
  anyBlock_ = true;
}

void StoredZlibWriter::write(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    if (blockLeft_ == 0) beginBlock();
    const std::size_t take = std::min(count, blockLeft_);
    adler_.update(bytes, take);
    sink_(bytes, take);
    bytes += take;
    count -= take;
    blockLeft_ -= take;
    dataLeft_ -= take;
  }
}

void StoredZlibWriter::finish() {
  if (!anyBlock_) beginBlock();
  const std::uint32_t sum = adler_.value();
  const std::array<std::uint8_t, 4> trailer{static_cast<std::uint8_t>(sum >> 24), static_cast<std::uint8_t>(sum >> 16),
                                            static_cast<std::uint8_t>(sum >> 8), static_cast<std::uint8_t>(sum)};
  sink_(trailer.data(), trailer.size());
}

}  // namespace formats
