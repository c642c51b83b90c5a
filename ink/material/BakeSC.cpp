#include "ink/material/BakeSC.h"

namespace inklook {

BakeSC::BakeSC(TimeValue t) {
  time = t;
  nLights = 0;
  p = Point3();
  view = Point3(0.f, 0.f, -1.f);
}

Point3 BakeSC::UVW(int) { return cellUVW_; }

void BakeSC::SetCell(int row, int column, int width, int height) {
  cellUVW_ = Point3((column + 0.5f) / static_cast<float>(width), (row + 0.5f) / static_cast<float>(height), 0.f);
}

bool BakeSC::Bake(Texmap* map, TimeValue t, int width, int height, std::vector<float>& rgb) {
  rgb.clear();
  if (!map || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  Interval valid = FOREVER;
  map->Update(t, valid);
  map->LoadMapFiles(t);
  BakeSC sc(t);
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int i = 0; i < height; ++i) {
    for (int j = 0; j < width; ++j) {
      sc.SetCell(i, j, width, height);
      const AColor c = map->EvalColor(sc);
      rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
  }
  return true;
}

Color meanColor(const std::vector<float>& rgb) {
  const std::size_t n = rgb.size() / 3;
  if (n == 0) return {};
  double r = 0, g = 0, b = 0;
  for (std::size_t k = 0; k < n; ++k) {
    r += rgb[3 * k];
    g += rgb[3 * k + 1];
    b += rgb[3 * k + 2];
  }
  return {static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n)};
}

}  // namespace inklook
