#pragma once
// The timed loop of the engines' advance benchmarks: one frame per
// iteration from where the engine stands, items = particles × substeps.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace inkbench {

template <class Engine>
void advanceFramePerIteration(benchmark::State& state, Engine& engine, float fps, std::int64_t particles,
                              int substeps) {
  std::string error;
  float t = 0.f;
  for (auto _ : state) {
    t += 1.f / fps;
    if (!engine.advance(t, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * particles * substeps);
}

}  // namespace inkbench
