#include "TestFiles.h"

#include <ImfRgbaFile.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace testfiles {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  dir_ = std::filesystem::temp_directory_path() /
         ("orb_runtime_tests_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(dir_);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string TempDir::path(const std::string& name) const { return (dir_ / name).string(); }

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::string& path) {
  std::ostringstream s;
  s << std::ifstream(path, std::ios::binary).rdbuf();
  return s.str();
}

void writePng(const std::string& path, int w, int h, int channels, const std::vector<std::uint8_t>& pixels) {
  if (!stbi_write_png(path.c_str(), w, h, channels, pixels.data(), w * channels))
    throw std::runtime_error("cannot write " + path);
}

// stb writes only 8-bit PNGs, so 16-bit ones are assembled here: one zlib
// stream of unfiltered big-endian rows.
void writePng16(const std::string& path, int w, int h, const std::vector<std::uint16_t>& rgba) {
  const auto be32 = [](std::uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  const auto chunk = [&](const std::string& type, const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : type + data) {
      crc ^= c;
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return be32(std::uint32_t(data.size())) + type + data + be32(~crc);
  };
  std::string rows;
  for (int y = 0; y < h; ++y) {
    rows += '\0';
    for (int i = 0; i < 4 * w; ++i) {
      const std::uint16_t v = rgba[std::size_t(y) * 4 * w + i];
      rows += {char(v >> 8), char(v)};
    }
  }
  int zlen = 0;
  unsigned char* z = stbi_zlib_compress(reinterpret_cast<unsigned char*>(rows.data()), int(rows.size()), &zlen, 8);
  const std::string idat(reinterpret_cast<char*>(z), std::size_t(zlen));
  STBIW_FREE(z);
  const std::string ihdr = be32(std::uint32_t(w)) + be32(std::uint32_t(h)) + std::string{16, 6, 0, 0, 0};
  writeBytes(path, "\x89PNG\r\n\x1a\n" + chunk("IHDR", ihdr) + chunk("IDAT", idat) + chunk("IEND", ""));
}

void writeHdr(const std::string& path, int w, int h, const std::vector<float>& rgb) {
  if (!stbi_write_hdr(path.c_str(), w, h, 3, rgb.data())) throw std::runtime_error("cannot write " + path);
}

void writeExr(const std::string& path, int w, int h, const std::vector<float>& rgba, bool withAlpha, int origin) {
  const Imath::Box2i window({origin, origin}, {origin + w - 1, origin + h - 1});
  std::vector<Imf::Rgba> px(std::size_t(w) * h);
  for (std::size_t i = 0; i < px.size(); ++i)
    px[i] = Imf::Rgba(rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]);
  Imf::RgbaOutputFile file(path.c_str(), window, window, withAlpha ? Imf::WRITE_RGBA : Imf::WRITE_RGB);
  file.setFrameBuffer(Imf::ComputeBasePointer(px.data(), window), 1, std::size_t(w));
  file.writePixels(h);
}

}  // namespace testfiles
