#pragma once
// The orb's parameters at one time as one flat record, made from the list
// in OrbParamRows.inc. It is passed by value to the cloth kernel, so the
// field order is fixed, and it is shared with device code, so this header
// reaches nothing of the host (readParams is in ReadParams.h).
#include "util/RecordField.h"

namespace orb {

struct Params {
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) util::field::kind name;
#define ORB_BLOCK_ONLY(id, name, kind, def, lo, hi, rollout, key, label)
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
};

// Every field at its default.
Params defaultParams();

}  // namespace orb
