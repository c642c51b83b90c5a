#pragma once
// Parameter ids of the "TessaronOrbForceParameters" block. Stored data: scenes keep values by these
// ids, so they never change.
#include "host/sdk/ParamTypes.h"

namespace orbforce::param {
enum : ParamID {
  mode = 0,
  strength = 1,
  radius = 2,
  shellBand = 3,
  swirl = 4,
  axialFlow = 5,
  turbulence = 6,
  turbulenceScale = 7,
  timeScale = 8,
  drag = 9,
  falloff = 10,
  seed = 11,
  iconSize = 12,
  responseScale = 13,
};
}  // namespace orbforce::param
