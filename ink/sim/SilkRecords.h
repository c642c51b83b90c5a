#pragma once
// The records the silk source hands to its kernel: the parameters and one
// cloth triangle with its texture coordinates. Field orders are fixed; both
// are plain data copied to the device by value.
#include <cstdint>

#include "util/Vec.h"

namespace ink {

struct SilkParams {
  std::int64_t count;  // silk particles
  std::int32_t seedMix;  // 17 - seed * 1640531535, 32-bit wrap
  float thickness;
  float wrinkle;       // amplitude of the fine folds
  float wrinkleScale;  // folds per unit of texture space
  std::int32_t wrinkleOctaves;
  float loopPhase;  // in [0, 1): where the folds stand in their loop
  float fray;       // width of the frayed border in texture space
  std::int32_t triangleCount;

  bool operator==(const SilkParams&) const = default;
};

struct SilkTri {
  orb::Vec q0, q1, q2;  // ink-local space
  float a0, b0, a1, b1, a2, b2;  // texture coordinates of the corners

  bool operator==(const SilkTri&) const = default;
};

}  // namespace ink
