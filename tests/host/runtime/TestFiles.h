#pragma once
// Test inputs written on the fly into a private temporary folder.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testfiles {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The UTF-8 path of `name` inside the folder.
  std::string path(const std::string& name) const;

 private:
  std::filesystem::path dir_;
};

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);
// Pixels row by row from the top, `channels` values each.
void writePng(const std::string& path, int w, int h, int channels, const std::vector<std::uint8_t>& pixels);
void writePng16(const std::string& path, int w, int h, const std::vector<std::uint16_t>& rgba);
void writeHdr(const std::string& path, int w, int h, const std::vector<float>& rgb);
// RGBA halves from the top; withAlpha false drops the alpha channel. The data
// window starts at `origin` to exercise images not anchored at (0, 0).
void writeExr(const std::string& path, int w, int h, const std::vector<float>& rgba, bool withAlpha = true,
              int origin = 0);

}  // namespace testfiles
