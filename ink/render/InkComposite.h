#pragma once
// The plain finishing step, one thread per pixel: the ink read from the
// accumulator at the pixel, composited over the background colour or image.
// Glass, scene shading, environment, fog and bubbles belong to the full
// finishing pass that takes its place.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/render/Raster.h"
#include "ink/render/Splat.h"
#include "util/Vec.h"

namespace ink {

constexpr int kPassRecordFloats = 24;

struct CompositeArgs {
  std::int32_t width, height;
  orb::Vec background;          // colour behind the ink
  std::int32_t transparent;     // background mode 1: nothing behind the ink
  const float* backgroundImage;  // RGBA per pixel, or null
  const float* matteDepth;       // pairs, or null
  const float* passAccumulator;  // 15 floats per pixel, or null
  float* passOutput;             // 24 floats per pixel, or null
};

// Bilinear read of `floats` channels at (x, y), clamped to
// [0, width − 1.001] × [0, height − 1.001] so the four taps stay on the image.
ORB_HD inline void readBilinear(const float* buffer, int floats, int width, int height, float x, float y, float* out) {
  x = fminf(fmaxf(x, 0.f), static_cast<float>(width) - 1.001f);
  y = fminf(fmaxf(y, 0.f), static_cast<float>(height) - 1.001f);
  const int x0 = clampToInt(floorf(x), 0, width - 1), y0 = clampToInt(floorf(y), 0, height - 1);
  const int x1 = x0 + 1 < width ? x0 + 1 : x0, y1 = y0 + 1 < height ? y0 + 1 : y0;
  const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
  const float* t00 = buffer + (static_cast<std::int64_t>(y0) * width + x0) * floats;
  const float* t10 = buffer + (static_cast<std::int64_t>(y0) * width + x1) * floats;
  const float* t01 = buffer + (static_cast<std::int64_t>(y1) * width + x0) * floats;
  const float* t11 = buffer + (static_cast<std::int64_t>(y1) * width + x1) * floats;
  for (int c = 0; c < floats; ++c)
    out[c] = (t00[c] * (1.f - fx) + t10[c] * fx) * (1.f - fy) + (t01[c] * (1.f - fx) + t11[c] * fx) * fy;
}

// The pass record of a pixel without glass: ink, emission, coverage-weighted
// means of depth, motion, normal and masks, optical depth and the matte flag.
ORB_HD inline void writePassRecord(const CompositeArgs& a, std::int64_t pixel, float x, float y, const float* ink,
                                   float inkAlpha, float* record) {
  for (int c = 0; c < kPassRecordFloats; ++c) record[c] = 0.f;
  record[0] = ink[0];
  record[1] = ink[1];
  record[2] = ink[2];
  record[3] = inkAlpha;
  float pass[kPassAccumulatorFloats];
  readBilinear(a.passAccumulator, kPassAccumulatorFloats, a.width, a.height, x, y, pass);
  record[7] = pass[0];
  record[8] = pass[1];
  record[9] = pass[2];
  const float alpha = pass[14];
  if (alpha > 1e-8f) {
    record[10] = pass[3] / alpha;
    record[11] = pass[4] / alpha;
    record[12] = pass[5] / alpha;
    const float len = sqrtf(pass[6] * pass[6] + pass[7] * pass[7] + pass[8] * pass[8]);
    if (len > 1e-8f)
      for (int c = 0; c < 3; ++c) record[13 + c] = pass[6 + c] / len;
    for (int c = 0; c < 5; ++c) record[16 + c] = inkAlpha * pass[9 + c] / alpha;
  }
  if (a.matteDepth) {
    const float nearest = a.matteDepth[2 * pixel], matte = a.matteDepth[2 * pixel + 1];
    record[21] = matte < kEmptyDepth && matte <= nearest ? 1.f : 0.f;
  }
  record[22] = (ink[3] + ink[4] + ink[5]) / 3.f;
}

ORB_HD inline void compositePixel(const CompositeArgs& a, const float* accumulator, float* image, std::int64_t pixel) {
  const float x = static_cast<float>(pixel % a.width), y = static_cast<float>(pixel / a.width);
  float ink[kAccumulatorFloats];
  readBilinear(accumulator, kAccumulatorFloats, a.width, a.height, x, y, ink);
  const float inkAlpha = 1.f - expf(-(ink[3] + ink[4] + ink[5]) / 3.f);

  orb::Vec behind = a.transparent ? orb::Vec{0.f, 0.f, 0.f} : a.background;
  float alpha = a.transparent ? inkAlpha : 1.f;
  if (a.backgroundImage) {
    const float* texel = a.backgroundImage + 4 * pixel;
    behind = {texel[0], texel[1], texel[2]};
    alpha = fmaxf(inkAlpha, texel[3]);
  }
  float* out = image + 4 * pixel;
  out[0] = behind.x * expf(-ink[3]) + ink[0];
  out[1] = behind.y * expf(-ink[4]) + ink[1];
  out[2] = behind.z * expf(-ink[5]) + ink[2];
  out[3] = alpha;
  if (a.passOutput && a.passAccumulator)
    writePassRecord(a, pixel, x, y, ink, inkAlpha, a.passOutput + kPassRecordFloats * pixel);
}

}  // namespace ink
