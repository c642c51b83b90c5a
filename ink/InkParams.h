#pragma once
// Parameter ids of the "InkParameters" block, by internal name. Scenes
// store values by these ids and the evaluation reads them by name.
#include "host/sdk/ParamTypes.h"

namespace ink::param {
enum : ParamID {
#define INK_PARAM(id, name, kind, def, lo, hi, rollout, label) name = id,
#include "ink/InkParamRows.inc"
#undef INK_PARAM
};
}  // namespace ink::param
