#include "orb/VeilBake.h"

#include <chrono>

#include "orb/ClothSolver.h"
#include "orb/ClothStep.h"
#include "orb/GpuClothSolver.h"

namespace orb {

namespace {
// The loop from the solvers: the GPU first when asked for (it leaves its
// failure reason in `solver`), the CPU otherwise or on failure.
std::vector<Vec> solveLoop(const Params& p, const ClothGrid& grid, const std::vector<Vec>& rest, int& frames,
                           std::string& solver, bool& usedGpu) {
  frames = loopFrames(p);
  std::vector<Vec> recorded;
  usedGpu = p.useCUDA && recordClothGpu(p, grid, rest, recorded, solver);
  if (!usedGpu) {
    recorded = recordClothCpu(p, grid, rest);
    if (solver.empty()) solver = "CPU solver";
  }
  return blendLoop(recorded, frames, grid.particles());
}
}  // namespace

bool bakeVeils(const Params& p, const VeilSourceSet& sources, VeilCache& cache) {
  const std::uint64_t key = simulationKey(p, sources);
  if (key == cache.key && cache.complete()) return true;
  const auto start = std::chrono::steady_clock::now();
  const ClothGrid grid = clothGridFor(p);
  std::vector<Vec> rest = bakeRestPositions(p, grid, sources);
  int frames = 0;
  std::string solver;
  bool usedGpu = false;
  std::vector<Vec> frameData = solveLoop(p, grid, rest, frames, solver, usedGpu);

  VeilCache baked;
  baked.key = key;
  baked.along = grid.along;
  baked.across = grid.across;
  baked.veils = grid.veils;
  baked.frames = frames;
  baked.frameData = std::move(frameData);
  baked.rest = std::move(rest);
  baked.usedGpu = usedGpu;
  baked.solverName = solver;
  baked.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  cache = std::move(baked);
  return cache.complete();
}

}  // namespace orb
