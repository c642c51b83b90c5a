#pragma once
// The Particle Force's field in the warp's own space: a shell, vortex,
// attract or curl flow with swirl around Z, an axial flow, turbulence and a
// radial falloff.
#include "host/sdk/Point3.h"
#include "host/sdk/Time.h"
#include "util/RecordField.h"

class IParamBlock2;

namespace orbforce {

// The parameters the field reads, made from the list in OrbForceParamRows.inc.
struct OrbForceParams {
#define ORBFORCE_PARAM(id, name, kind, def, lo, hi, label) util::field::kind name;
#define ORBFORCE_BLOCK_ONLY(id, name, kind, def, lo, hi, label)
#include "forces/OrbForceParamRows.inc"
#undef ORBFORCE_BLOCK_ONLY
#undef ORBFORCE_PARAM
};

// Everything but the icon size, at t.
OrbForceParams readOrbForceParams(IParamBlock2& pb, TimeValue t);

// The scaled, falloff-weighted force at q on particle `index` at
// `seconds`, before the node's rotation and drag.
Point3 localOrbForce(const OrbForceParams& p, const Point3& q, int index, float seconds);

}  // namespace orbforce
