#pragma once
// The silk and swirl sources' kernels: one thread per particle on the
// default stream. Each returns the launch status.
#include <cstdint>

#include "forces/SwirlFrame.h"
#include "gpu/Device.h"
#include "ink/sim/AreaPick.h"
#include "ink/sim/SilkRecords.h"
#include "ink/sim/SwirlRecords.h"
#include "util/Vec.h"

namespace ink {

// Silk particles [first, first + count): positions and weights, and their
// texture positions (u, v, 0) when `texture` is not null. `pick` holds the
// device's area table and guide.
gpu::Status silkKernel(const SilkParams& params, const SilkTri* triangles, const GuidedPick& pick, orb::Vec* positions,
                       float* weights, std::int64_t first, std::int64_t count, orb::Vec* texture);

// Every swirl particle from t0 to t1 through the track, in the Vortex Force's
// space; seeds first when there is no state or t1 < t0.
gpu::Status swirlKernel(const SwirlParams& params, const swirl::Frame* track, orb::Vec* positions,
                        orb::Vec* velocities, float* weights, std::int64_t count, float t0, float t1, bool hasState);

// The particles in ink space: p.x row0 + p.y row1 + p.z row2 + translation.
gpu::Status toInkSpace(const SwirlParams& params, const orb::Vec* positions, orb::Vec* inkPositions,
                       std::int64_t count);

}  // namespace ink
