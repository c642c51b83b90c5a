#pragma once
// The ink engine's record from the "InkParameters" block at one time.
#include "host/sdk/Time.h"
#include "ink/sim/InkRecords.h"

class IParamBlock2;

namespace ink {

// Every field a parameter sets, read at t; the start time is `startFrame` /
// fps and the spin axis +z. The particle count, the vortex track, the
// emitter triangle count and the container grid come from the evaluation
// and the scene gathering, so they are left zero (null) here.
Params inkSimParams(IParamBlock2& block, TimeValue t, float fps);

}  // namespace ink
