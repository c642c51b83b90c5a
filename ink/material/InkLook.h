#pragma once
// The colour an ink look shows in the host's renderers: what survives the
// absorption, blended towards the scatter colour by the scatter amount.
#include "host/sdk/Point3.h"

namespace inklook {

// base_i = exp(-0.9 absorb_i) (1 - scatterAmount) + scatter_i scatterAmount
Color baseColor(const Color& absorb, const Color& scatter, float scatterAmount);

}  // namespace inklook
