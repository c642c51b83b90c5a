// Ink engine throughput: particle-substeps per second of the advance with
// the default flow (three curl octaves, thirteen vortex tubes, spin, wall),
// resident and streamed; and the container distance grid build.
//
//   bench_inksim --benchmark_filter=BM_InkAdvance/resident/1000000
//
// items_per_second is particle-substeps per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "AdvanceFrames.h"
#include "InkSimFixtures.h"
#include "ink/sim/ContainerSdf.h"
#include "ink/sim/InkSim.h"

namespace {

// Advances one frame per iteration from a seeded state. The loop is off so
// that the set-up seeds without integrating half a period first; the loop
// changes no per-step cost.
void advance(benchmark::State& state, bool streamed) {
  const auto count = static_cast<int>(state.range(0));
  if (streamed)
    setenv("ORB_INK_MAX_RESIDENT", "0", 1);
  else
    unsetenv("ORB_INK_MAX_RESIDENT");
  ink::Params params = inktest::defaultParams(count);
  params.loop = 0;
  const std::vector<ink::Tube> track = inktest::defaultTrack(params, 64);
  ink::InkSim sim;
  std::string error;
  if (!sim.configure(params, track, {}, error) || !sim.advance(0.f, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  if (sim.streamed() != streamed) {
    state.SkipWithError("residency not as asked");
    return;
  }
  inkbench::advanceFramePerIteration(state, sim, params.fps, count, params.substeps);
  unsetenv("ORB_INK_MAX_RESIDENT");
}

void BM_InkAdvance_resident(benchmark::State& state) { advance(state, false); }
void BM_InkAdvance_streamed(benchmark::State& state) { advance(state, true); }

// A closed, finely tessellated sphere.
void BM_ContainerSdf(benchmark::State& state) {
  const int res = static_cast<int>(state.range(0));
  const int rings = static_cast<int>(std::sqrt(state.range(1) / 4.0));  // about 4 rings^2 triangles
  const std::vector<float> soup = inktest::sphereSoup(40.f, rings, 2 * rings);
  ink::ContainerSdf sdf;
  std::string error;
  for (auto _ : state) {
    if (!sdf.buildContainer(soup, res, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  const std::int64_t triangles = static_cast<std::int64_t>(soup.size() / 9);
  state.counters["triangles"] = static_cast<double>(triangles);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(res) * res * res * triangles);
}

}  // namespace

BENCHMARK(BM_InkAdvance_resident)->Name("BM_InkAdvance/resident")->Arg(1000000)->Arg(10000000)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_InkAdvance_streamed)->Name("BM_InkAdvance/streamed")->Arg(1000000)->Arg(10000000)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
// items_per_second of the grid build is cell-triangle pairs per second.
BENCHMARK(BM_ContainerSdf)->Args({32, 1000})->Args({96, 10000})->Unit(benchmark::kMillisecond)->UseRealTime()
    ->Iterations(1);
