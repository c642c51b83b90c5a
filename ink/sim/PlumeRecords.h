#pragma once
// The water-ink record: filled by the ink object, passed by value to the
// water-ink particle kernel. Field order is fixed. Also the rules that turn
// it into the water's grid, frame count and solver settings.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "CUDA/vf/GridDesc.h"
#include "CUDA/vf/VFSmoke.h"
#include "util/Vec.h"

namespace ink {

struct PlumeParams {
  float radius;
  std::int32_t resolution;  // water cells per axis, as asked
  float fps;
  float start;  // seconds
  float end;    // seconds
  orb::Vec sourceCentre;
  float sourceRadius;
  float emitSeconds;  // how long the source pours
  float sink;         // density weight of the buoyancy, in radii
  float push;         // downward source speed
  float billow;       // vorticity confinement
  float swirl;        // initial stirring
  std::int32_t count;    // water-ink particles
  std::int32_t seedMix;  // 7 - seed × 1640531535, 32-bit wrap
  std::int32_t substeps;

  bool operator==(const PlumeParams&) const = default;
};
static_assert(sizeof(PlumeParams) == 17 * 4);

constexpr std::int32_t kPlumeSubsteps = 2;
constexpr int kMinWaterCells = 16;
constexpr int kMaxWaterCells = 160;

// Every field but the particle count: what the water itself depends on.
inline bool sameWater(const PlumeParams& a, const PlumeParams& b) {
  PlumeParams x = a;
  x.count = b.count;
  return x == b;
}

// Cells per axis: the resolution clamped to [16, 160].
inline int waterCells(const PlumeParams& p) { return std::clamp<int>(p.resolution, kMinWaterCells, kMaxWaterCells); }

// A cube of 2.2 R around the ink's centre.
inline vf::GridDesc waterGrid(const PlumeParams& p) {
  const int n = waterCells(p);
  const float half = 1.1f * p.radius;
  return {n, n, n, 2.2f * p.radius / static_cast<float>(n), {-half, -half, -half}};
}

// History frames: one per frame of the range plus two, at least two.
inline int waterFrames(const PlumeParams& p) {
  const float frames = std::ceil((p.end - p.start) * p.fps) + 2.f;
  return frames >= 2.f ? static_cast<int>(std::min(frames, 2147483520.f)) : 2;
}

// Seconds per substep.
ORB_HD inline float substepSeconds(const PlumeParams& p) { return 1.f / (p.fps * static_cast<float>(p.substeps)); }

// The solver's settings for one water run.
inline vf::StepSettings waterSettings(const PlumeParams& p) {
  vf::StepSettings s{};
  s.densityWeight = p.sink * p.radius;
  s.temperatureWeight = 0.f;
  s.ambient = 0.f;
  s.confinement = p.billow;
  s.densityDissipation = 0.f;
  s.temperatureDissipation = 0.f;
  s.buoyancyScale = 1.f;
  s.pressureIterations = 80;
  s.dt = substepSeconds(p);
  return s;
}

}  // namespace ink
