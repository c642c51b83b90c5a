#include "orb/cuda/OrbKernels.h"

#include <algorithm>
#include <vector>

#include "gpu/LaneLaunch.h"
#include "gpu/Launch.h"
#include "orb/ClothStep.h"

namespace orb {
namespace {

// The substep of particle i, or of a run of particles (split where a row
// ends, so each part shares its row's drive). On the cpu backend the rows'
// and columns' drives come from tables made once per launch (the same
// values: the same functions of the same inputs).
struct StepBody {
  ClothBuffers buffers;
  ClothGrid grid;
  Params params;
  float phase, dt;
  const RowDrive* rows = nullptr;
  const ColumnDrive* columns = nullptr;

  ORB_HD void operator()(std::int64_t i) const {
    const auto p = static_cast<std::int32_t>(i);
    const std::int32_t veil = p / grid.veilSize(), local = p - veil * grid.veilSize();
    const std::int32_t row = local / grid.rowSize(), column = local - row * grid.rowSize();
    clothStep(p, buffers, grid, params, dt, expf(-3.f * dt),
              rows ? rows[veil * (grid.along + 1) + row] : rowDrive(grid, params, phase, veil, row),
              columns ? columns[column] : columnDrive(grid, params, column));
  }

#if !defined(__CUDACC__)
  ORB_ALWAYS_INLINE void operator()(gpu::LaneItems items) const {
    if (!clothStepsInPacks()) {
      for (int l = 0; l < items.count; ++l) (*this)(items.first + l);
      return;
    }
    const float decay = expf(-3.f * dt);
    const auto end = static_cast<std::int32_t>(items.first + items.count);
    for (auto p = static_cast<std::int32_t>(items.first); p < end;) {
      const std::int32_t veil = p / grid.veilSize(), local = p - veil * grid.veilSize();
      const std::int32_t row = local / grid.rowSize(), c0 = local - row * grid.rowSize();
      const int n = std::min(end - p, grid.rowSize() - c0);
      clothStepLanes(p, c0, n, buffers, grid, params, dt, decay, rows[veil * (grid.along + 1) + row],
                     columnDrives(columns, c0, n));
      p += n;
    }
  }
#endif
};

}  // namespace

gpu::Status stepKernel(const Vec* rest, const Vec* pos, const Vec* vel, Vec* newPos, Vec* newVel, ClothGrid grid,
                       Params params, float phase, float dt) {
  StepBody body{{rest, pos, vel, newPos, newVel}, grid, params, phase, dt};
#if !defined(ORB_GPU_BACKEND_CUDA)
  // Reused from launch to launch; a bake launches thousands of substeps.
  thread_local std::vector<RowDrive> rows;
  thread_local std::vector<ColumnDrive> columns;
  rows.resize(static_cast<std::size_t>(grid.veils) * (grid.along + 1));
  columns.resize(static_cast<std::size_t>(grid.across) + 1);
  for (int veil = 0; veil < grid.veils; ++veil)
    for (int row = 0; row <= grid.along; ++row)
      rows[static_cast<std::size_t>(veil) * (grid.along + 1) + row] = rowDrive(grid, params, phase, veil, row);
  for (int c = 0; c <= grid.across; ++c) columns[static_cast<std::size_t>(c)] = columnDrive(grid, params, c);
  body.rows = rows.data();
  body.columns = columns.data();
#endif
  return gpu::forEachLanes<1>("orb::stepKernel", grid.particles(), body);
}

}  // namespace orb
