#pragma once
// Parameter ids of the "TessaronOrbVortexParameters" block. Stored data: scenes keep values by these
// ids, so they never change.
#include "host/sdk/ParamTypes.h"

namespace vortex::param {
enum : ParamID {
  radius = 0,
  vortexCount = 1,
  swirl = 2,
  attraction = 3,
  spread = 4,
  partition = 5,
  eye = 6,
  surfaceHold = 7,
  drag = 8,
  wander = 9,
  loopSeconds = 10,
  turbulence = 11,
  seed = 12,
  iconSize = 13,
  responseScale = 14,
  seedObjects = 15,
};
}  // namespace vortex::param
