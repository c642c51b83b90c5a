#pragma once
// Parameter ids of the "TessaronOrbVortexParameters" block, by internal
// name. Stored data: scenes keep values by these ids, so they never change.
#include "host/sdk/ParamTypes.h"

namespace vortex::param {
enum : ParamID {
#define VORTEX_PARAM(id, name, kind, def, lo, hi, label) name = id,
#define VORTEX_BLOCK_ONLY VORTEX_PARAM
#include "forces/VortexParamRows.inc"
#undef VORTEX_BLOCK_ONLY
#undef VORTEX_PARAM
};
}  // namespace vortex::param
