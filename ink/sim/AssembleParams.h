#pragma once
// The assemble record: by value to the assemble kernel, which morphs the
// particles of up to two sources into target shapes, and embedded in the
// splat record, whose source masks read its on-flag, seed mix and shape
// count. Field order is fixed.
#include <cstdint>

#include "util/Vec.h"

namespace ink {

// A target shape: a box or an ellipsoid spanned by three half-axes.
struct AssembleShape {
  orb::Vec centre;
  orb::Vec axis[3];  // half-axis vectors, ink space
  std::int32_t ellipsoid;
};

struct AssembleParams {
  std::int32_t on;
  float progress;
  float spread;
  float turns;
  float arc;
  float noise;
  float smoke;
  float smokeScale;
  float time;  // seconds
  float radius;
  std::int32_t seedMix;  // seed × 7919 + 13
  std::int32_t shapeCount;  // 0, 1 or 2
  AssembleShape shape[2];
};

static_assert(sizeof(AssembleShape) == 13 * 4);
static_assert(sizeof(AssembleParams) == 12 * 4 + 2 * sizeof(AssembleShape));

}  // namespace ink
