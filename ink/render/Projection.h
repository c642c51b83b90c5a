#pragma once
// The screen projection every render kernel shares, and the guarded
// conversions from continuous pixel coordinates to indices.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gpu/Config.h"
#include "ink/render/RenderRecords.h"
#include "util/LaneVec.h"
#include "util/Vec.h"

namespace ink {

// The nearest depth a point may have and still be drawn.
constexpr float kNearDepth = 0.001f;

// One point, or a pack of points (R = util::lanes::Floats).
template <class R>
struct ScreenPointOf {
  R x, y;  // pixels, centres at integers, rows top to bottom
  R z;     // view depth
};
using ScreenPoint = ScreenPointOf<float>;

// p in pixels of a width × height image; x and y are meaningful only when
// z ≥ kNearDepth.
template <class R>
ORB_HD ORB_ALWAYS_INLINE ScreenPointOf<R> projectOf(const Camera& camera, float tanHalfFovY, int width, int height,
                                                    const util::lanes::VecOf<R>& p) {
  const util::lanes::VecOf<R> d = p - camera.eye;
  const R z = dot(d, camera.forward);
  const R x = (dot(d, camera.right) / (z * camera.tanHalfFov) * 0.5f + 0.5f) * static_cast<float>(width) - 0.5f;
  const R y = (0.5f - 0.5f * dot(d, camera.up) / (z * tanHalfFovY)) * static_cast<float>(height) - 0.5f;
  return {x, y, z};
}
ORB_HD inline ScreenPoint project(const Camera& camera, float tanHalfFovY, int width, int height, orb::Vec p) {
  return projectOf<float>(camera, tanHalfFovY, width, height, p);
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
#if !defined(__CUDACC__)
// clampToInt lane by lane.
ORB_ALWAYS_INLINE util::lanes::Ints clampToInt(util::lanes::Floats v, int lo, int hi) {
  using util::lanes::select;
  const float l = static_cast<float>(lo), h = static_cast<float>(hi);
  return util::lanes::truncateToInt(select(v > l, select(v < h, v, util::lanes::Floats(h)), util::lanes::Floats(l)));
}
#endif

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
