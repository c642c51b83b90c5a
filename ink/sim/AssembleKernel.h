#pragma once
// The assemble kernel: one batch of a source's particles through the morph,
// one thread per particle on the default stream.
#include <cstdint>

#include "gpu/Device.h"
#include "ink/sim/AssembleParams.h"
#include "util/Vec.h"

namespace ink {

// out[i] = the morph of in[i] as the particle with assemble index first + i.
// Returns the launch status.
gpu::Status assembleKernel(const AssembleParams& params, const orb::Vec* in, orb::Vec* out, std::int64_t count,
                           std::int64_t first);

}  // namespace ink
