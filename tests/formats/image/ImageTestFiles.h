#pragma once
// Scratch files for the image writer tests: a private temporary folder and
// whole-file reads.
#include <cstdint>
#include <cstdlib>  // mkdtemp
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace formats::test {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orb-image-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

inline std::string readText(const std::string& path) {
  const auto bytes = readBytes(path);
  return {bytes.begin(), bytes.end()};
}

inline std::uint32_t littleEndian32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

inline std::uint32_t bigEndian32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// A path in a folder that does not exist: no writer can open it.
inline std::string unopenablePath(const ScratchFolder& scratch, const std::string& name) {
  return scratch.file("missing-folder/" + name);
}

}  // namespace formats::test
