#pragma once
// Triangle rasterisation into depth buffers, one thread per triangle: the
// nearest perspective-correct view depth per pixel, kept with an integer
// atomic minimum on the depth's bit pattern.
#include <cmath>
#include <cstdint>

#include "gpu/Atomics.h"
#include "gpu/Config.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderRecords.h"
#include "util/Vec.h"

namespace ink {

// What every raster buffer holds where nothing was drawn.
constexpr float kEmptyDepth = 3e38f;
constexpr std::int32_t kNoTriangle = 2147483647;

struct RasterView {
  Camera camera;
  float tanHalfFovY;
  int width, height;
};

// Calls covered(pixel index, depth) for every pixel whose integer position
// lies inside the projected triangle (all three barycentric weights ≥ 0).
// Triangles with a vertex nearer than kNearDepth (no clipping) or with
// (almost) no screen area draw nothing.
template <class Covered>
ORB_HD inline void rasterTriangle(const RasterView& view, orb::Vec a, orb::Vec b, orb::Vec c, Covered covered) {
  const ScreenPoint p0 = project(view.camera, view.tanHalfFovY, view.width, view.height, a);
  const ScreenPoint p1 = project(view.camera, view.tanHalfFovY, view.width, view.height, b);
  const ScreenPoint p2 = project(view.camera, view.tanHalfFovY, view.width, view.height, c);
  if (!(p0.z >= kNearDepth && p1.z >= kNearDepth && p2.z >= kNearDepth)) return;
  const float area = (p1.x - p0.x) * (p2.y - p0.y) - (p2.x - p0.x) * (p1.y - p0.y);
  if (!(fabsf(area) >= 1e-12f)) return;
  const float inv = 1.f / area;
  const int x0 = clampToInt(floorf(fminf(fminf(p0.x, p1.x), p2.x)), 0, view.width - 1);
  const int x1 = clampToInt(ceilf(fmaxf(fmaxf(p0.x, p1.x), p2.x)), -1, view.width - 1);
  const int y0 = clampToInt(floorf(fminf(fminf(p0.y, p1.y), p2.y)), 0, view.height - 1);
  const int y1 = clampToInt(ceilf(fmaxf(fmaxf(p0.y, p1.y), p2.y)), -1, view.height - 1);
  for (int y = y0; y <= y1; ++y) {
    const float py = static_cast<float>(y);
    for (int x = x0; x <= x1; ++x) {
      const float px = static_cast<float>(x);
      const float b0 = ((p1.x - px) * (p2.y - py) - (p2.x - px) * (p1.y - py)) * inv;
      const float b1 = ((p2.x - px) * (p0.y - py) - (p0.x - px) * (p2.y - py)) * inv;
      const float b2 = ((p0.x - px) * (p1.y - py) - (p1.x - px) * (p0.y - py)) * inv;
      if (b0 < 0.f || b1 < 0.f || b2 < 0.f) continue;
      const float depth = 1.f / (b0 / p0.z + b1 / p1.z + b2 / p2.z);
      covered(static_cast<std::int64_t>(y) * view.width + x, depth);
    }
  }
}

ORB_HD inline void keepNearest(float* slot, float depth) {
  gpu::atomicMin(reinterpret_cast<int*>(slot), floatBits(depth));
}

// matteRaster: every blocker into slot 0 of the pixel's pair, mattes
// (kind above 0.5) into slot 1 as well.
ORB_HD inline void rasterMatte(const RasterView& view, const MatteTriangle& t, float* pairs) {
  const bool matte = t.kind > 0.5f;
  rasterTriangle(view, t.v0, t.v1, t.v2, [&](std::int64_t pixel, float depth) {
    keepNearest(pairs + 2 * pixel, depth);
    if (matte) keepNearest(pairs + 2 * pixel + 1, depth);
  });
}

enum SceneRasterMode : std::int32_t { kSceneDepth = 0, kSceneIndex = 1 };

// sceneRaster: mode 0 keeps the nearest depth; mode 1, run after it, keeps
// the lowest index among the triangles at that depth (within 1e-5).
ORB_HD inline void rasterScene(const RasterView& view, const SceneTriangle& t, std::int32_t index, float* depths,
                               std::int32_t* indices, std::int32_t mode) {
  rasterTriangle(view, t.v0, t.v1, t.v2, [&](std::int64_t pixel, float depth) {
    if (mode == kSceneDepth)
      keepNearest(depths + pixel, depth);
    else if (depth <= depths[pixel] * 1.00001f)
      gpu::atomicMin(indices + pixel, index);
  });
}

}  // namespace ink
