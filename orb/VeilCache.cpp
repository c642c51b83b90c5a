#include "orb/VeilCache.h"

#include <bit>
#include <cmath>
#include <cstdio>

#include "orb/VeilRest.h"
#include "orb/VeilSources.h"

namespace orb {

std::string VeilCache::statusLine() const {
  char line[256];
  std::snprintf(line, sizeof line, "%s | %d frames | %.2f s", solverName.c_str(), frames, seconds);
  return line;
}

namespace {
std::uint64_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }
std::uint64_t bits(std::int32_t i) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(i)); }
std::uint64_t bits(std::uint8_t b) { return b != 0 ? 1 : 0; }
}  // namespace

std::uint64_t simulationKey(const Params& p, const VeilSourceSet& sources) {
  std::uint64_t h = (bits(p.clearance) + 0xA2C91C6D4868EB50ull) ^ 0x0012345678ABCDEFull;
  for (std::uint64_t v : {bits(p.veilCount), bits(p.veilRadius), bits(p.veilSpan), bits(p.veilWidth),
                          bits(p.veilLatitude), bits(p.veilTiltX), bits(p.veilTiltY), bits(p.veilTiltZ),
                          bits(p.pleatDepth), bits(p.pleatCount), bits(p.seed), bits(p.loopSeconds), bits(p.motion),
                          bits(p.stiffness), bits(p.bendStiffness), bits(p.damping), bits(p.restHold),
                          bits(p.gravity), bits(p.wind), bits(p.waveAmplitude), bits(p.waveCycles),
                          bits(p.waveSpeed), bits(p.waveSpread), bits(p.selfCollision), bits(p.selfCollisionDistance),
                          bits(p.slack), bits(p.anchor), bits(p.substeps), bits(p.simLength), bits(p.simWidth)})
    h = hashCombine(h, v);
  return hashCombine(h, sources.hash);
}

std::vector<Vec> bakeRestPositions(const Params& p, const ClothGrid& grid, const VeilSourceSet& sources) {
  std::vector<Vec> rest = restShape(p, grid);
  if (!sources.present() || sources.positions.size() != rest.size() ||
      sources.hasSource.size() != static_cast<std::size_t>(grid.veils))
    return rest;
  const float limit = kSimRadius * (1.f - p.clearance);
  for (int k = 0; k < grid.veils; ++k) {
    if (!sources.hasSource[k]) continue;
    for (int i = k * grid.veilSize(); i < (k + 1) * grid.veilSize(); ++i) {
      Vec s = sources.positions[i];
      const float len = length(s);
      if (len > limit) s = s * (limit / len);
      rest[i] = s;
    }
  }
  return rest;
}

double playbackFrame(const Params& p, double tau, int frames) {
  double cycles = p.freeze ? 0.0 : p.speed * tau / p.loopSeconds;
  if (p.reverse && !p.freeze) cycles = -cycles;
  const double position = p.phase + cycles;
  const double x = (position - std::floor(position)) * frames;
  return x < frames ? x : 0.0;  // a fraction that rounds up to 1 is the loop's start
}

}  // namespace orb
