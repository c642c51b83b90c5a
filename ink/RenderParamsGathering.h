#pragma once
// The render settings that come straight from "InkParameters" at a time:
// every field named after a parameter, the time, the seed hash and the
// colour map's mapping mode and axis.
#include "host/sdk/Time.h"
#include "ink/render/RenderSettings.h"

class IParamBlock2;

namespace ink {

// Fills the parameter fields of `settings` from the block at t; the
// gathered records (lights, triangles, maps, extent) are left as they are.
void readRenderParams(IParamBlock2& block, TimeValue t, RenderSettings& settings);

// The mapping mode (0-5) and axis `colorMode` selects: 1 along z, 6 along x
// and 7 along y are the axis mode 1; 2-5 keep their mode with the z axis.
void colourMapMode(int colorMode, std::int32_t& mode, orb::Vec& axis);

}  // namespace ink
