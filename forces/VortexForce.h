#pragma once
// The Vortex Force's field in the warp's own space: a spring to the sphere,
// swirl and attraction around each vortex weighted by a soft partition of
// the surface, and a looping turbulence.
#include "forces/VortexEval.h"
#include "host/sdk/Point3.h"

namespace vortex {

// One vortex with its own values resolved, so that a force evaluation does
// no parameter or seed look-ups.
struct VortexTerm {
  Point3 axis;
  float invSpread;  // 1 / spread in radians
  float swirl, attraction, eye;
  bool on;
};

struct VortexSet {
  float radius, surfaceHold, partition, turbulence, loopSeconds;
  int count;
  VortexTerm terms[kMaxVortices];
};

void prepareVortexSet(const VortexEval& e, VortexSet& set);

// The force at q (warp space) on particle `index` at `seconds`, before the
// response scale and drag.
Point3 localVortexForce(const VortexSet& set, const Point3& q, int index, float seconds);

}  // namespace vortex
