// The default veil bake on the CPU (F = 270, S = 4, P = 3201, self
// collision on), on one thread and on every core.
#include <benchmark/benchmark.h>

#include "orb/ClothSolver.h"
#include "orb/ClothStep.h"
#include "orb/OrbObject.h"
#include "orb/VeilRest.h"

namespace {

void clothBakeCpu(benchmark::State& state) {
  const orb::Params p = orb::defaultParams();
  const orb::ClothGrid grid = orb::clothGridFor(p);
  const std::vector<orb::Vec> rest = orb::restShape(p, grid);
  for (auto _ : state) {
    std::vector<orb::Vec> recorded = orb::recordClothCpu(p, grid, rest, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(recorded.data());
  }
  const double updates = 4.0 * orb::loopFrames(p) * orb::clothSubsteps(p) * grid.particles();
  state.counters["particle_updates_per_s"] = benchmark::Counter(updates, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(clothBakeCpu)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
