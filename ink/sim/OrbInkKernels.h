#pragma once
// The ink engine's kernels: one thread per particle or grid cell on the
// default stream. Each returns the launch status.
#include <cstdint>

#include "gpu/Device.h"
#include "ink/sim/InkAdvance.h"
#include "ink/sim/InkRecords.h"
#include "util/Vec.h"

namespace ink {

// Particles [first, first + count) from t0 to t1; positions are read (when
// hasState) and written in place, weights are written.
gpu::Status advanceKernel(const Params& params, FlowInputs inputs, orb::Vec* positions, float* weights,
                          std::int64_t first, std::int64_t count, float t0, float t1, bool hasState);

// First-try seed positions of particles [first, first + count).
gpu::Status restKernel(const Params& params, FlowInputs inputs, orb::Vec* rest, std::int64_t first,
                       std::int64_t count, float time);

// Signed distances at the centres of a res^3 grid to a closed triangle soup.
gpu::Status sdfKernel(const float* vertices, int triangles, int res, orb::Vec origin, float cell, float* grid);

}  // namespace ink
