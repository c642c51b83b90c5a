#include "ink/HdriCache.h"

#include <algorithm>
#include <new>

#include "host/runtime/BitmapManager.h"
#include "host/sdk/Types.h"

namespace ink {

int hdriReduction(int width, int height) {
  const int side = std::max(width, height);
  int d = 1;
  while (side > kMaxHdriSide * d) d *= 2;
  return d;
}

void reduceRgb(const float* rgb, int width, int height, int d, std::vector<float>& out, int& outWidth,
               int& outHeight) {
  outWidth = std::max(1, width / d);
  outHeight = std::max(1, height / d);
  out.assign(static_cast<std::size_t>(outWidth) * outHeight * 3, 0.f);
  for (int oy = 0; oy < outHeight; ++oy)
    for (int ox = 0; ox < outWidth; ++ox) {
      double sum[3] = {0, 0, 0};
      int n = 0;
      for (int y = oy * d; y < std::min(height, (oy + 1) * d); ++y)
        for (int x = ox * d; x < std::min(width, (ox + 1) * d); ++x, ++n) {
          const float* p = rgb + 3 * (static_cast<std::size_t>(y) * width + x);
          for (int c = 0; c < 3; ++c) sum[c] += p[c];
        }
      float* o = out.data() + 3 * (static_cast<std::size_t>(oy) * outWidth + ox);
      for (int c = 0; c < 3; ++c) o[c] = n > 0 ? static_cast<float>(sum[c] / n) : 0.f;
    }
}

void HdriCache::update(const std::string& path) {
  if (tried_ && path == path_) return;
  tried_ = true;
  path_ = path;
  rgb_ = {};
  width_ = height_ = 0;
  if (path.empty()) return;
  BitmapInfo info(host::widen(path).c_str());
  Bitmap* bitmap = TheManager->Load(&info);
  if (!bitmap) return;  // a map that fails to load is left out
  try {
    const int w = bitmap->Width(), h = bitmap->Height();
    std::vector<float> full(static_cast<std::size_t>(w) * h * 3);
    std::vector<BMM_Color_fl> row(static_cast<std::size_t>(w));
    for (int y = 0; y < h; ++y) {
      bitmap->GetLinearPixels(0, y, w, row.data());
      for (int x = 0; x < w; ++x) {
        float* p = full.data() + 3 * (static_cast<std::size_t>(y) * w + x);
        p[0] = row[x].r;
        p[1] = row[x].g;
        p[2] = row[x].b;
      }
    }
    reduceRgb(full.data(), w, h, hdriReduction(w, h), rgb_, width_, height_);
  } catch (const std::bad_alloc&) {
    rgb_ = {};
    width_ = height_ = 0;
  }
  bitmap->DeleteThis();
}

}  // namespace ink
