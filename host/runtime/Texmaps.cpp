#include <algorithm>
#include <cmath>

#include "host/runtime/BitmapManager.h"
#include "host/runtime/Materials.h"

namespace host {
namespace {

AColor lerp(const AColor& a, const AColor& b, float f) {
  return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f};
}

AColor toAColor(const BMM_Color_fl& c) { return {c.r, c.g, c.b, c.a}; }

// The fractional part in [0, 1); non-finite coordinates read as 0.
double wrap01(double x) { return std::isfinite(x) ? x - std::floor(x) : 0.0; }

int wrapIndex(int i, int n) { return ((i % n) + n) % n; }

}  // namespace

AColor CheckerMap::EvalColor(ShadeContext& sc) {
  const Point3 uvw = sc.UVW();
  const double cells = std::floor(double(uvw.x) * tiles) + std::floor(double(uvw.y) * tiles);
  return std::fmod(cells, 2.0) == 0.0 ? color1 : color2;
}

AColor GradientMap::EvalColor(ShadeContext& sc) {
  if (colors.empty()) return AColor(0, 0, 0, 1);
  const float v = sc.UVW().y;
  const float t = v > 0.f ? (v < 1.f ? v : 1.f) : 0.f;  // also sends NaN to 0
  const std::size_t n = colors.size();
  if (n == 1) return colors[0];
  if (positions.size() != n) {  // evenly spaced, also when the positions do not pair with the colours
    const float x = t * float(n - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(x), n - 2);
    return lerp(colors[i], colors[i + 1], x - float(i));
  }
  if (t <= positions.front()) return colors.front();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const float lo = positions[i], hi = positions[i + 1];
    if (t > hi) continue;
    return hi > lo ? lerp(colors[i], colors[i + 1], (t - lo) / (hi - lo)) : colors[i + 1];
  }
  return colors.back();
}

BitmapTex::BitmapTex() = default;

BitmapTex::~BitmapTex() {
  if (bitmap_) bitmap_->DeleteThis();
}

bool BitmapTex::SetMapName(const std::wstring& file, std::string& error) {
  BitmapInfo info(file.c_str());
  Bitmap* loaded = TheManager->Load(&info);
  if (!loaded) {
    error = TheManager->LastError();
    return false;
  }
  if (bitmap_) bitmap_->DeleteThis();
  bitmap_ = loaded;
  file_ = file;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  return true;
}

// Bilinear between the four nearest texel centres, repeating across edges.
AColor BitmapTex::EvalColor(ShadeContext& sc) {
  if (!bitmap_ || bitmap_->Width() <= 0 || bitmap_->Height() <= 0) return AColor(0, 0, 0, 1);
  const int w = bitmap_->Width(), h = bitmap_->Height();
  const Point3 uvw = sc.UVW();
  const double x = wrap01(uvw.x) * w - 0.5;
  const double y = (1.0 - wrap01(uvw.y)) * h - 0.5;  // rows count down from the top
  const double x0 = std::floor(x), y0 = std::floor(y);
  const float fx = float(x - x0), fy = float(y - y0);
  const int cols[2] = {wrapIndex(int(x0), w), wrapIndex(int(x0) + 1, w)};
  const int rows[2] = {wrapIndex(int(y0), h), wrapIndex(int(y0) + 1, h)};
  AColor texel[2][2];
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 2; ++c) {
      BMM_Color_fl px;
      bitmap_->GetLinearPixels(cols[c], rows[r], 1, &px);
      texel[r][c] = toAColor(px);
    }
  return lerp(lerp(texel[0][0], texel[0][1], fx), lerp(texel[1][0], texel[1][1], fx), fy);
}

}  // namespace host
