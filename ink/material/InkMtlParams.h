#pragma once
// Parameter ids of the "InkMaterialParameters" block, by internal name. The
// ink object reads the material by these ids, and scenes store values by
// them.
#include "host/sdk/ParamTypes.h"

namespace inkmtl::param {
enum : ParamID {
#define INKMTL_PARAM(id, name, kind, def, lo, hi, rollout, label) name = id,
#include "ink/material/InkMtlParamRows.inc"
#undef INKMTL_PARAM
};
}  // namespace inkmtl::param
