#include "orb/ClothSolver.h"

#include <algorithm>
#include <cmath>

#include "gpu/HostParallel.h"
#include "gpu/LaneLaunch.h"
#include "orb/ClothStep.h"

namespace orb {

namespace {
// Below this many particles per thread, synchronising costs more than it saves.
constexpr int kMinParticlesPerThread = 1024;

// One row's substep in packs of columns, at the process's vector level.
void stepRowPacked(int start, const ClothBuffers& b, const ClothGrid& grid, const Params& p, float dt, float decay,
                   const RowDrive& drive, const std::vector<ColumnDrive>& columns) {
  namespace lanes = util::lanes;
  gpu::atVectorLevel([&]() __attribute__((always_inline)) {
    for (int c = 0; c <= grid.across; c += lanes::kLanes) {
      const int n = std::min(lanes::kLanes, grid.across + 1 - c);
      clothStepLanes(start + c, c, n, b, grid, p, dt, decay, drive, columnDrives(columns.data(), c, n));
    }
  });
}
}  // namespace

std::vector<Vec> recordClothCpu(const Params& p, const ClothGrid& grid, const std::vector<Vec>& rest, int threads) {
  const int F = loopFrames(p), S = clothSubsteps(p);
  const int P = grid.particles();
  const int rows = grid.veils * (grid.along + 1);
  const float dt = 1.f / (30.f * static_cast<float>(S));
  const float decay = expf(-3.f * dt);

  std::vector<Vec> x = rest, v(P, Vec{0.f, 0.f, 0.f}), xn(P), vn(P);
  std::vector<Vec> recorded(static_cast<std::size_t>(2) * F * P);
  std::vector<ColumnDrive> columns(static_cast<std::size_t>(grid.across + 1));
  for (int c = 0; c <= grid.across; ++c) columns[c] = columnDrive(grid, p, c);

  const bool packed = clothStepsInPacks();
  if (threads <= 0) threads = gpu::hostThreadCount();
  threads = std::clamp(std::min(threads, P / kMinParticlesPerThread), 1, rows);

  // Each member owns a contiguous range of rows for the whole bake and meets
  // the others once per substep.
  gpu::hostTeam(threads, [&](const gpu::TeamMember& member) {
    const int firstRow = static_cast<int>(member.first(rows)), lastRow = static_cast<int>(member.last(rows));
    const int first = firstRow * grid.rowSize(), last = lastRow * grid.rowSize();
    Vec *pos = x.data(), *vel = v.data(), *npos = xn.data(), *nvel = vn.data();
    for (int i = 0; i < 4 * F; ++i) {
      for (int j = 0; j < S; ++j) {
        const float psi = drivePhase(i * S + j, F, S);
        const ClothBuffers b{rest.data(), pos, vel, npos, nvel};
        for (int row = firstRow; row < lastRow; ++row) {
          const int veil = row / (grid.along + 1), r = row - veil * (grid.along + 1);
          const RowDrive drive = rowDrive(grid, p, psi, veil, r);
          const int start = row * grid.rowSize();
          if (packed)
            stepRowPacked(start, b, grid, p, dt, decay, drive, columns);
          else
            for (int c = 0; c <= grid.across; ++c) clothStep(start + c, b, grid, p, dt, decay, drive, columns[c]);
        }
        std::swap(pos, npos);
        std::swap(vel, nvel);
        member.sync();
      }
      if (i >= 2 * F) std::copy(pos + first, pos + last, recorded.data() + static_cast<std::size_t>(i - 2 * F) * P + first);
    }
  });
  return recorded;
}

std::vector<Vec> blendLoop(const std::vector<Vec>& recorded, int frames, int particles) {
  std::vector<Vec> out(static_cast<std::size_t>(frames) * particles);
  for (int i = 0; i < frames; ++i) {
    const float w = static_cast<float>(i) / static_cast<float>(frames);
    const Vec* late = recorded.data() + static_cast<std::size_t>(frames + i) * particles;
    const Vec* early = recorded.data() + static_cast<std::size_t>(i) * particles;
    Vec* dst = out.data() + static_cast<std::size_t>(i) * particles;
    for (int q = 0; q < particles; ++q) dst[q] = late[q] * (1.f - w) + early[q] * w;
  }
  return out;
}

}  // namespace orb
