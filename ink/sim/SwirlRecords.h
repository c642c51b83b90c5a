#pragma once
// The record the swirl source hands to its kernels. Field order is fixed;
// plain data copied to the device by value.
#include <cstdint>

#include "util/Vec.h"

namespace ink {

struct SwirlParams {
  std::int64_t count;    // swirl particles
  std::int32_t seedMix;  // seed * 747796405 + 5, 32-bit wrap
  float fps;
  std::int32_t substeps;  // per frame
  float startTime;        // seconds: particles are seeded here
  float timeUnit;         // seconds the force's velocities refer to
  std::int32_t trackFrames;
  float trackStart;  // seconds of the track's first frame
  float seedRadius;  // the radius of the track's first frame
  orb::Vec rows[3];  // Vortex Force to ink space: rotation rows
  orb::Vec translation;

  bool operator==(const SwirlParams&) const = default;
};

}  // namespace ink
