#pragma once
// Parameter ids of the "TessaronOrbForceParameters" block, by internal name.
// Stored data: scenes keep values by these ids, so they never change.
#include "host/sdk/ParamTypes.h"

namespace orbforce::param {
enum : ParamID {
#define ORBFORCE_PARAM(id, name, kind, def, lo, hi, label) name = id,
#define ORBFORCE_BLOCK_ONLY ORBFORCE_PARAM
#include "forces/OrbForceParamRows.inc"
#undef ORBFORCE_BLOCK_ONLY
#undef ORBFORCE_PARAM
};
}  // namespace orbforce::param
