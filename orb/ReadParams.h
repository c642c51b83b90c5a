#pragma once
// The orb's record read from its parameter block at one time.
#include "host/sdk/Time.h"
#include "orb/Params.h"

class IParamBlock2;

namespace orb {

// The block's defaults first, then every field read from the block at t
// (booleans are true when non-zero).
Params readParams(IParamBlock2& block, TimeValue t);

}  // namespace orb
