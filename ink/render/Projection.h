#pragma once
// The screen projection every render kernel shares, and the guarded
// conversions from continuous pixel coordinates to indices.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gpu/Config.h"
#include "ink/render/RenderRecords.h"
#include "util/Vec.h"

namespace ink {

// The nearest depth a point may have and still be drawn.
constexpr float kNearDepth = 0.001f;

struct ScreenPoint {
  float x, y;  // pixels, centres at integers, rows top to bottom
  float z;     // view depth
};

// p in pixels of a width × height image; x and y are meaningful only when
// z ≥ kNearDepth.
ORB_HD inline ScreenPoint project(const Camera& camera, float tanHalfFovY, int width, int height, orb::Vec p) {
  const orb::Vec d = p - camera.eye;
  const float z = dot(d, camera.forward);
  const float x = (dot(d, camera.right) / (z * camera.tanHalfFov) * 0.5f + 0.5f) * static_cast<float>(width) - 0.5f;
  const float y = (0.5f - 0.5f * dot(d, camera.up) / (z * tanHalfFovY)) * static_cast<float>(height) - 0.5f;
  return {x, y, z};
}

// v clamped to [lo, hi] in float before the conversion, so that huge or NaN
// coordinates (a vertex just in front of the eye projects to about 1e9
// pixels) never reach an out-of-range integer conversion. NaN gives lo.
ORB_HD inline int clampToInt(float v, int lo, int hi) {
  // Comparisons rather than fminf/fmaxf, which the host compiler calls out of line.
  const float l = static_cast<float>(lo), h = static_cast<float>(hi);
  const float c = v > l ? (v < h ? v : h) : l;
  return static_cast<int>(c);
}

// Depths are positive, so their bit patterns order like the values: raster
// kernels keep minimum depths with an integer atomic minimum.
ORB_HD inline int floatBits(float v) {
#if defined(__CUDA_ARCH__)
  return __float_as_int(v);
#else
  int bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
#endif
}

ORB_HD inline float bitsFloat(int bits) {
#if defined(__CUDA_ARCH__)
  return __int_as_float(bits);
#else
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
#endif
}

}  // namespace ink
