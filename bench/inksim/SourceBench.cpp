// Silk and swirl source throughput.
//
//   bench_inksim --benchmark_filter=BM_SilkStream
//   bench_inksim --benchmark_filter=BM_SwirlAdvance
//
// BM_SilkStream/N/octaves: items_per_second is silk particles generated and
// handed to a sink per second, N particles streamed in batches over a
// veil-sized cloth (20,000 triangles) with the default fray and the given
// fold octaves (3 is the default; 0 shows what the folds cost).
// BM_SwirlAdvance: items_per_second is swirl particle-steps per second with
// 64 vortices and turbulence.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "AdvanceFrames.h"
#include "SourceFixtures.h"
#include "ink/sim/SilkSim.h"
#include "ink/sim/SwirlSim.h"

namespace {

// A wavy strip of 100 x 100 quads with texture coordinates over [0, 1]^2.
std::vector<ink::SilkTri> veilCloth() {
  constexpr int kQuads = 100;
  std::vector<ink::SilkTri> tris;
  auto corner = [](int i, int j) {
    const float u = static_cast<float>(i) / kQuads, v = static_cast<float>(j) / kQuads;
    return orb::Vec{40.f * u - 20.f, 30.f * v - 15.f, 3.f * std::sin(6.f * u) * std::cos(4.f * v)};
  };
  for (int j = 0; j < kQuads; ++j)
    for (int i = 0; i < kQuads; ++i) {
      const float u0 = static_cast<float>(i) / kQuads, u1 = static_cast<float>(i + 1) / kQuads;
      const float v0 = static_cast<float>(j) / kQuads, v1 = static_cast<float>(j + 1) / kQuads;
      tris.push_back(inktest::silkTri(corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), u0, v0, u1, v0, u1, v1));
      tris.push_back(inktest::silkTri(corner(i, j), corner(i + 1, j + 1), corner(i, j + 1), u0, v0, u1, v1, u0, v1));
    }
  return tris;
}

void BM_SilkStream(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  const std::vector<ink::SilkTri> cloth = veilCloth();
  ink::SilkParams params = inktest::defaultSilk(count, static_cast<int>(cloth.size()));
  params.wrinkleOctaves = static_cast<std::int32_t>(state.range(1));
  ink::SilkSim sim;
  std::string error;
  if (!sim.configure(params, cloth, error) || !sim.ready()) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::int64_t seen = 0;
  // One untimed pass touches the batch buffers, as every frame after an
  // object's first finds them.
  if (!sim.stream([](const ink::Chunk&) { return true; }, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    if (!sim.stream(
            [&](const ink::Chunk& c) {
              seen += c.count;
              return true;
            },
            error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  benchmark::DoNotOptimize(seen);
  state.counters["chunk"] = static_cast<double>(sim.chunkSize());
  state.SetItemsProcessed(state.iterations() * count);
}

// One frame (four substeps) per iteration from a seeded state.
void BM_SwirlAdvance(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  swirl::Frame frame = inktest::vortexFrame(64);
  frame.turbulence = 8.f;
  ink::SwirlParams params = inktest::defaultSwirl(count, 1);
  params.substeps = 4;
  ink::SwirlSim sim;
  std::string error;
  if (!sim.configure(params, {frame}, error) || !sim.advance(0.f, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  inkbench::advanceFramePerIteration(state, sim, params.fps, count, params.substeps);
}

}  // namespace

BENCHMARK(BM_SilkStream)->Args({100000000, 3})->Args({10000000, 3})->Args({10000000, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SwirlAdvance)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
