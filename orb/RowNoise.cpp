#include "orb/RowNoise.h"

#include <algorithm>
#include <cmath>

namespace orb {

void RowNoise::prepare(const std::vector<float>& columnY, float z, int octaves) {
  octaves_ = octaves;
  columns_ = static_cast<int>(columnY.size());
  cells_.resize(static_cast<std::size_t>(octaves) * columns_);
  z_.resize(octaves);
  yLo_.assign(octaves, 0);
  yHi_.assign(octaves, 0);
  corners_.assign(octaves, Corners{});
  std::vector<float> y = columnY;
  for (int o = 0; o < octaves; ++o) {
    z_[o] = z;
    std::int32_t lo = INT32_MAX, hi = INT32_MIN;
    for (int j = 0; j < columns_; ++j) {
      const float fy = floorf(y[j]);
      const auto iy = static_cast<std::int32_t>(fy);
      cells_[static_cast<std::size_t>(o) * columns_ + j] = {iy, smoothStep(y[j] - fy)};
      lo = std::min(lo, iy);
      hi = std::max(hi, iy + 1);
      y[j] = 2.03f * y[j] + 31.7f;
    }
    yLo_[o] = columns_ > 0 ? lo : 0;
    yHi_[o] = columns_ > 0 ? hi : 0;
    z = 2.03f * z + 5.3f;
  }
}

void RowNoise::row(float x, float* out) {
  std::fill(out, out + columns_, 0.f);
  float amplitude = 0.5f, total = 0.f;
  for (int o = 0; o < octaves_; ++o) {
    const float fx = floorf(x), fz = floorf(z_[o]);
    const auto ix = static_cast<std::int32_t>(fx), iz = static_cast<std::int32_t>(fz);
    const float sx = smoothStep(x - fx), sz = smoothStep(z_[o] - fz);
    const std::int32_t lo = yLo_[o];
    const int span = yHi_[o] - lo + 1;
    Corners& k = corners_[o];
    if (k.ix != ix || k.iz != iz) {
      k.ix = ix;
      k.iz = iz;
      k.x0z0.resize(span);
      k.x1z0.resize(span);
      k.x0z1.resize(span);
      k.x1z1.resize(span);
      for (int q = 0; q < span; ++q) {
        const std::int32_t Y = lo + q;
        k.x0z0[q] = latticeValue(ix, Y, iz);
        k.x1z0[q] = latticeValue(ix + 1, Y, iz);
        k.x0z1[q] = latticeValue(ix, Y, iz + 1);
        k.x1z1[q] = latticeValue(ix + 1, Y, iz + 1);
      }
    }
    const Cell* cells = cells_.data() + static_cast<std::size_t>(o) * columns_;
    for (int j = 0; j < columns_; ++j) {
      const int q = cells[j].iy - lo;
      const float sy = cells[j].sy;
      // The same blends, in the same order, as valueNoise3.
      const float x00 = k.x0z0[q] + (k.x1z0[q] - k.x0z0[q]) * sx;
      const float x10 = k.x0z0[q + 1] + (k.x1z0[q + 1] - k.x0z0[q + 1]) * sx;
      const float x01 = k.x0z1[q] + (k.x1z1[q] - k.x0z1[q]) * sx;
      const float x11 = k.x0z1[q + 1] + (k.x1z1[q + 1] - k.x0z1[q + 1]) * sx;
      const float n0 = x00 + (x10 - x00) * sy;
      const float n1 = x01 + (x11 - x01) * sy;
      out[j] += amplitude * (2.f * (n0 + (n1 - n0) * sz) - 1.f);
    }
    total += amplitude;
    amplitude *= 0.5f;
    x = 2.03f * x + 17.1f;
  }
  const float norm = total != 0.f ? total : 1.f;
  for (int j = 0; j < columns_; ++j) out[j] /= norm;
}

}  // namespace orb
