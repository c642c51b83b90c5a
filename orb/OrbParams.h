#pragma once
// Parameter ids of the orb's "OrbParameters" block, by internal name.
// Stored data: scenes keep values by these ids, so they never change.
#include "host/sdk/ParamTypes.h"

namespace orb::param {
enum : ParamID {
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) name = id,
#define ORB_BLOCK_ONLY ORB_PARAM
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
};
}  // namespace orb::param
