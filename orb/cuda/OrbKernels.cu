#include "orb/cuda/OrbKernels.h"

#include "gpu/Launch.h"
#include "orb/ClothStep.h"

namespace orb {

gpu::Status stepKernel(const Vec* rest, const Vec* pos, const Vec* vel, Vec* newPos, Vec* newVel, ClothGrid grid,
                       Params params, float phase, float dt) {
  const ClothBuffers buffers{rest, pos, vel, newPos, newVel};
  return gpu::forEach("orb::stepKernel", grid.particles(), [=] ORB_HD(std::int64_t i) {
    const auto p = static_cast<std::int32_t>(i);
    const std::int32_t veil = p / grid.veilSize(), local = p - veil * grid.veilSize();
    const std::int32_t row = local / grid.rowSize(), column = local - row * grid.rowSize();
    clothStep(p, buffers, grid, params, dt, expf(-3.f * dt), rowDrive(grid, params, phase, veil, row),
              columnDrive(grid, params, column));
  });
}

}  // namespace orb
