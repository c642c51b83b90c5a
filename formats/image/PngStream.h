#pragma once
// The PNG encoder behind writePng, on any output stream and with the IDAT
// size limit open, so that chunk splitting can be checked without gigabyte
// files.
#include <cstdint>
#include <ostream>
#include <span>

namespace formats {

// The most zlib-stream bytes one IDAT chunk carries in files.
inline constexpr std::uint64_t kMaxIdatBytes = 0x40000000;

// Encodes a frame that passes isRgbaFrame into out, stopping early once the
// stream fails; true when the stream reports no error.
bool encodePng(std::ostream& out, std::span<const float> image, int width, int height,
               std::uint64_t maxIdatBytes = kMaxIdatBytes);

}  // namespace formats
