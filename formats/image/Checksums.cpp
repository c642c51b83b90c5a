#include "formats/image/Checksums.h"

#include <array>

namespace formats {
namespace {

// Eight tables let the CRC consume eight bytes per step ("slicing by eight"):
// table k holds the CRC of a byte followed by k zero bytes.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeCrcTables() {
  CrcTables t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][n] = c;
  }
  for (std::uint32_t n = 0; n < 256; ++n)
    for (std::size_t k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFFu];
  return t;
}

constexpr CrcTables kCrcTables = makeCrcTables();


}  // namespace

void Crc32::update(const std::uint8_t* bytes, std::size_t count) {
  const auto& t = kCrcTables;
  std::uint32_t c = state_;
  for (; count >= 8; bytes += 8, count -= 8) {
    const std::uint32_t lo = c ^ (std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                  std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24);
    c = t[7][lo & 0xFFu] ^ t[6][(lo >> 8) & 0xFFu] ^ t[5][(lo >> 16) & 0xFFu] ^ t[4][lo >> 24] ^
        t[3][bytes[4]] ^ t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]];
  }
  for (; count > 0; ++bytes, --count) c = t[0][(c ^ *bytes) & 0xFFu] ^ (c >> 8);
  state_ = c;
}

}  // namespace formats
