#pragma once
// The veil cloth kernel: one thread per particle, one launch per substep.
#include "gpu/Device.h"
#include "orb/ClothGrid.h"
#include "orb/Params.h"
#include "util/Vec.h"

namespace orb {

// orb::stepKernel over every particle of the grid on the default stream;
// returns the launch status.
gpu::Status stepKernel(const Vec* rest, const Vec* pos, const Vec* vel, Vec* newPos, Vec* newVel, ClothGrid grid,
                       Params params, float phase, float dt);

}  // namespace orb
