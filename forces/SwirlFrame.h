#pragma once
// One sampled frame of a Vortex Force as the ink's swirl kernel reads it:
// the header values, the vortex count and a fixed array of vortex slots.
// Plain 32-bit fields only, so the record copies to the device unchanged.
#include <cstdint>

#include "util/Vec.h"

namespace swirl {

inline constexpr int kMaxVortices = 64;

struct Vortex {
  orb::Vec axis;     // unit direction from the warp's centre
  float swirl;       // multiplier (1 for generated vortices)
  float attraction;  // multiplier (1 for generated vortices)
  float spread;      // radians; 0: the header's spread applies
  float eye;         // 0: the header's eye applies
  std::int32_t on;
  std::int32_t isSeed;  // nonzero: the vortex comes from a seed object
};

struct Frame {
  float radius;
  float swirl;
  float attraction;
  float spread;  // radians, from at least half a degree
  float partition;
  float eye;
  float surfaceHold;
  float drag;
  float turbulence;
  float loopSeconds;
  float responseScale;
  std::int32_t count;  // vortices in use, at most kMaxVortices
  Vortex vortices[kMaxVortices];
};

}  // namespace swirl
