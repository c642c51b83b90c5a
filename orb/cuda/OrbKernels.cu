#include "orb/cuda/OrbKernels.h"

#include <algorithm>

#include "gpu/LaneLaunch.h"
#include "gpu/Launch.h"
#include "orb/ClothStep.h"

namespace orb {
namespace {

// The substep of particle i, or of a run of particles (split where a row
// ends, so each part shares its row's drive).
struct StepBody {
  ClothBuffers buffers;
  ClothGrid grid;
  Params params;
  float phase, dt;

  ORB_HD void operator()(std::int64_t i) const {
    const auto p = static_cast<std::int32_t>(i);
    const std::int32_t veil = p / grid.veilSize(), local = p - veil * grid.veilSize();
    const std::int32_t row = local / grid.rowSize(), column = local - row * grid.rowSize();
    clothStep(p, buffers, grid, params, dt, expf(-3.f * dt), rowDrive(grid, params, phase, veil, row),
              columnDrive(grid, params, column));
  }

#if !defined(__CUDACC__)
  ORB_ALWAYS_INLINE void operator()(gpu::LaneItems items) const {
    namespace lanes = util::lanes;
    if (gpu::vectorLevel() == gpu::VectorLevel::Baseline) {  // runs need permutations (see ClothSolver.cpp)
      for (int l = 0; l < items.count; ++l) (*this)(items.first + l);
      return;
    }
    const float decay = expf(-3.f * dt);
    const auto end = static_cast<std::int32_t>(items.first + items.count);
    for (auto p = static_cast<std::int32_t>(items.first); p < end;) {
      const std::int32_t veil = p / grid.veilSize(), local = p - veil * grid.veilSize();
      const std::int32_t row = local / grid.rowSize(), c0 = local - row * grid.rowSize();
      const int n = std::min(end - p, grid.rowSize() - c0);
      ColumnDriveOf<lanes::Floats> column;
      for (int l = 0; l < lanes::kLanes; ++l) {
        const ColumnDrive d = columnDrive(grid, params, c0 + std::min(l, n - 1));
        column.envelope.v[l] = d.envelope;
        column.sinB.v[l] = d.sinB;
        column.cosB.v[l] = d.cosB;
      }
      clothStepLanes(p, c0, n, buffers, grid, params, dt, decay, rowDrive(grid, params, phase, veil, row), column);
      p += n;
    }
  }
#endif
};

}  // namespace

gpu::Status stepKernel(const Vec* rest, const Vec* pos, const Vec* vel, Vec* newPos, Vec* newVel, ClothGrid grid,
                       Params params, float phase, float dt) {
  return gpu::forEachLanes<1>("orb::stepKernel", grid.particles(),
                              StepBody{{rest, pos, vel, newPos, newVel}, grid, params, phase, dt});
}

}  // namespace orb
