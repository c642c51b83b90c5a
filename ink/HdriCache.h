#pragma once
// The environment image the renderer lights and backs the orb with: loaded
// through the host's bitmap manager, reduced to at most 2048 pixels on its
// long side, kept as float RGB until the path changes.
#include <cstdint>
#include <string>
#include <vector>

namespace ink {

constexpr int kMaxHdriSide = 2048;

// The smallest power of two d with max(width, height) / d ≤ 2048.
int hdriReduction(int width, int height);

// Float RGB of `width` × `height` (row 0 at the top) reduced by d: each
// output pixel the mean of its d × d block (blocks cut by the image's edge
// average what they hold); the output is max(1, side / d) on each side.
void reduceRgb(const float* rgb, int width, int height, int d, std::vector<float>& out, int& outWidth,
               int& outHeight);

class HdriCache {
 public:
  // Loads `path` (UTF-8) unless it is the cached one. An empty path or a
  // failed load leaves no image; the path is remembered either way, so a
  // missing file is not read again every frame.
  void update(const std::string& path);

  bool loaded() const { return width_ > 0; }
  const float* pixels() const { return loaded() ? rgb_.data() : nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool tried_ = false;
  std::vector<float> rgb_;
  int width_ = 0, height_ = 0;
};

}  // namespace ink
