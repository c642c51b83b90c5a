// The water run: the grid solver over a whole frame range with the ink
// object's default water settings. Reports the cost per cell-step and the
// Jacobi iterations' share of it, with the bytes those iterations move per
// second against the machine's memory bandwidth.
#include <benchmark/benchmark.h>

#include <string>

#include "PlumeFixtures.h"
#include "gpu/KernelStats.h"
#include "ink/sim/PlumeWater.h"

namespace {

// Arguments: cells per axis, frames.
void BM_WaterRun(benchmark::State& state) {
  const ink::PlumeParams params = inktest::defaultWater(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  double jacobiSeconds = 0.0, kernelSeconds = 0.0;
  std::uint64_t jacobiLaunches = 0;
  for (auto _ : state) {
    ink::PlumeWater water;
    std::string error;
    gpu::resetKernelStats();
    if (!water.simulate(params, {}, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    for (const gpu::KernelStats& k : gpu::kernelStats()) {
      kernelSeconds += k.seconds;
      if (k.name == "vf::kJacobi") {
        jacobiSeconds += k.seconds;
        jacobiLaunches += k.launches;
      }
    }
  }
  const double cells = static_cast<double>(ink::waterCells(params)) * ink::waterCells(params) * ink::waterCells(params);
  const double steps = static_cast<double>(ink::waterFrames(params) - 1) * params.substeps;
  state.counters["cell_steps"] = benchmark::Counter(cells * steps * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["jacobi_share"] = kernelSeconds > 0.0 ? jacobiSeconds / kernelSeconds : 0.0;
  // A Jacobi update reads the divergence and writes one pressure (its
  // neighbours' pressures come from cache): 12 bytes per cell at least.
  state.counters["jacobi_GBps"] =
      jacobiSeconds > 0.0 ? 12.0 * cells * static_cast<double>(jacobiLaunches) / jacobiSeconds / 1e9 : 0.0;
}
BENCHMARK(BM_WaterRun)->Args({48, 30})->Args({96, 150})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
