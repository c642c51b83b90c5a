#pragma once
// The water-ink record with the ink object's default water settings, for
// the engine's tests and benchmarks.
#include <cstdint>

#include "ink/sim/PlumeRecords.h"

namespace inktest {

// R 50, `cells` per axis, frames 0 … `frames` at `fps`, the source at 0.6 R
// pouring for 2.5 s, sink 4, push 3, billows 15, stir 0.3, no particles.
inline ink::PlumeParams defaultWater(int cells, int frames, float fps = 30.f) {
  ink::PlumeParams p{};
  p.radius = 50.f;
  p.resolution = cells;
  p.fps = fps;
  p.start = 0.f;
  p.end = static_cast<float>(frames) / fps;
  p.sourceCentre = {0.f, 0.f, 30.f};
  p.sourceRadius = 4.f;
  p.emitSeconds = 2.5f;
  p.sink = 4.f;
  p.push = 3.f;
  p.billow = 15.f;
  p.swirl = 0.3f;
  p.seedMix = static_cast<std::int32_t>(7u - 42u * 1640531535u);
  p.substeps = ink::kPlumeSubsteps;
  return p;
}

}  // namespace inktest
