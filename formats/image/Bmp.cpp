#include "formats/image/Bmp.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "formats/image/OutputFile.h"
#include "formats/image/RgbaFrame.h"
#include "formats/image/Srgb.h"

namespace formats {
namespace {

constexpr std::uint32_t kHeaderBytes = 14 + 40;  // file header + info header

void putLittleEndian(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::array<std::uint8_t, kHeaderBytes> makeHeaders(int width, int height, std::uint32_t imageBytes) {
  std::array<std::uint8_t, kHeaderBytes> h{};  // reserved fields, resolutions and palette counts stay 0
  h[0] = 'B';
  h[1] = 'M';
  putLittleEndian(&h[2], kHeaderBytes + imageBytes, 4);
  putLittleEndian(&h[10], kHeaderBytes, 4);  // pixel data offset
  putLittleEndian(&h[14], 40, 4);            // info header size
  putLittleEndian(&h[18], static_cast<std::uint32_t>(width), 4);
  putLittleEndian(&h[22], static_cast<std::uint32_t>(height), 4);  // positive: rows bottom-up
  putLittleEndian(&h[26], 1, 2);                                   // planes
  putLittleEndian(&h[28], 24, 2);                                  // bits per pixel
  putLittleEndian(&h[34], imageBytes, 4);                          // compression 0 before it
  return h;
}

}  // namespace

bool writeBmp(const std::string& fileName, std::span<const float> image, int width, int height) {
  if (!isRgbaFrame(image, width, height)) return false;
  // Rows are padded to whole 32-bit words.
  const std::uint64_t stride = (3 * std::uint64_t(width) + 3) & ~std::uint64_t(3);
  const std::uint64_t imageBytes = stride * std::uint64_t(height);
  if (imageBytes > std::numeric_limits<std::uint32_t>::max() - kHeaderBytes) return false;

  std::ofstream file = openForWriting(fileName);
  if (!file) return false;
  const auto headers = makeHeaders(width, height, static_cast<std::uint32_t>(imageBytes));
  file.write(reinterpret_cast<const char*>(headers.data()), headers.size());

  // One row at a time, bottom row first; the padding bytes stay zero.
  std::vector<std::uint8_t> row(static_cast<std::size_t>(stride), 0);
  for (int y = height - 1; y >= 0 && file; --y) {
    const float* pixel = image.data() + std::size_t(y) * std::size_t(width) * 4;
    for (int x = 0; x < width; ++x, pixel += 4) {
      std::uint8_t* at = &row[3 * std::size_t(x)];
      at[0] = static_cast<std::uint8_t>(quantize(encodeSrgb(pixel[2]), 255));
      at[1] = static_cast<std::uint8_t>(quantize(encodeSrgb(pixel[1]), 255));
      at[2] = static_cast<std::uint8_t>(quantize(encodeSrgb(pixel[0]), 255));
    }
    file.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
  }
  return closeWritten(file);
}

}  // namespace formats
