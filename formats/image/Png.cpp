#include "formats/image/Png.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "formats/image/Checksums.h"
#include "formats/image/OutputFile.h"
#include "formats/image/PngStream.h"
#include "formats/image/RgbaFrame.h"
#include "formats/image/Srgb.h"
#include "formats/image/StoredZlib.h"

namespace formats {
namespace {

constexpr std::size_t kBytesPerPixel = 8;  // R, G, B, A as 16-bit big-endian

void putBigEndian32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

void putBigEndian16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 8);
  at[1] = static_cast<std::uint8_t>(value);
}

// One chunk: length, type, data and the CRC-32 of type and data. The data
// may arrive in pieces after begin().
class Chunk {
 public:
  Chunk(std::ostream& out, const char (&type)[5], std::uint32_t length) : out_(out) {
    std::array<std::uint8_t, 8> head{};
    putBigEndian32(head.data(), length);
    std::copy(type, type + 4, head.begin() + 4);
    out_.write(reinterpret_cast<const char*>(head.data()), head.size());
    crc_.update(head.data() + 4, 4);
  }

  void put(const std::uint8_t* bytes, std::size_t count) {
    crc_.update(bytes, count);
    out_.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  }

  void end() {
    std::array<std::uint8_t, 4> tail{};
    putBigEndian32(tail.data(), crc_.value());
    out_.write(reinterpret_cast<const char*>(tail.data()), tail.size());
  }

 private:
  std::ostream& out_;
  Crc32 crc_;
};

void writeWholeChunk(std::ostream& out, const char (&type)[5], const std::uint8_t* data, std::uint32_t length) {
  Chunk chunk(out, type, length);
  chunk.put(data, length);
  chunk.end();
}

// Carries a stream of known size in consecutive IDAT chunks of at most
// maxChunkBytes each.
class IdatSplitter {
 public:
  IdatSplitter(std::ostream& out, std::uint64_t streamBytes, std::uint64_t maxChunkBytes)
      : out_(out), streamLeft_(streamBytes), maxChunkBytes_(maxChunkBytes) {}

  void put(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
      if (chunkLeft_ == 0) {
        if (chunk_) chunk_->end();
        chunkLeft_ = std::min(streamLeft_, maxChunkBytes_);
        chunk_.emplace(out_, "IDAT", static_cast<std::uint32_t>(chunkLeft_));
      }
      const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(count, chunkLeft_));
      chunk_->put(bytes, take);
      bytes += take;
      count -= take;
      chunkLeft_ -= take;
      streamLeft_ -= take;
    }
  }

  void end() {
    if (chunk_) chunk_->end();
  }

 private:
  std::ostream& out_;
  std::uint64_t streamLeft_;
  std::uint64_t chunkLeft_ = 0;
  std::uint64_t maxChunkBytes_;
  std::optional<Chunk> chunk_;
};

// Filter byte 0 (none), then each pixel's display codes.
void encodeRow(const float* pixels, int width, std::uint8_t* row) {
  row[0] = 0;
  std::uint8_t* at = row + 1;
  for (int x = 0; x < width; ++x, pixels += 4, at += kBytesPerPixel) {
    for (int c = 0; c < 3; ++c) putBigEndian16(at + 2 * c, quantize(encodeSrgb(pixels[c]), 65535));
    putBigEndian16(at + 6, quantize(clampAlpha(pixels[3]), 65535));
  }
}

}  // namespace

bool encodePng(std::ostream& out, std::span<const float> image, int width, int height, std::uint64_t maxIdatBytes) {
  static constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  out.write(reinterpret_cast<const char*>(kSignature.data()), kSignature.size());

  // Width, height, bit depth 16, colour type 6 (RGBA), compression, filter
  // and interlace methods 0.
  std::array<std::uint8_t, 13> header{0, 0, 0, 0, 0, 0, 0, 0, 16, 6, 0, 0, 0};
  putBigEndian32(header.data(), static_cast<std::uint32_t>(width));
  putBigEndian32(header.data() + 4, static_cast<std::uint32_t>(height));
  writeWholeChunk(out, "IHDR", header.data(), header.size());
  const std::uint8_t perceptualIntent = 0;
  writeWholeChunk(out, "sRGB", &perceptualIntent, 1);

  const std::size_t rowBytes = 1 + kBytesPerPixel * static_cast<std::size_t>(width);
  const std::uint64_t dataBytes = std::uint64_t(rowBytes) * static_cast<std::uint64_t>(height);
  IdatSplitter idat(out, StoredZlibWriter::streamBytes(dataBytes), maxIdatBytes);
  StoredZlibWriter zlib(dataBytes, [&idat](const std::uint8_t* bytes, std::size_t count) { idat.put(bytes, count); });
  std::vector<std::uint8_t> row(rowBytes);
  for (int y = 0; y < height && out; ++y) {
    encodeRow(image.data() + std::size_t(y) * std::size_t(width) * 4, width, row.data());
    zlib.write(row.data(), row.size());
  }
  if (!out) return false;
  zlib.finish();
  idat.end();
  writeWholeChunk(out, "IEND", nullptr, 0);
  return static_cast<bool>(out);
}

bool writePng(const std::string& fileName, std::span<const float> image, int width, int height) {
  if (!isRgbaFrame(image, width, height)) return false;
  std::ofstream file = openForWriting(fileName);
  if (!file) return false;
  const bool encoded = encodePng(file, image, width, height);
  return closeWritten(file) && encoded;
}

}  // namespace formats
