#include "orb/VeilCache.h"

#include <array>
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

// The record's fields that shape the simulated motion: the rows of
// OrbParamRows.inc with a key position.
constexpr int kKeyLength = 0
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) +((key) > 0 ? 1 : 0)
#define ORB_BLOCK_ONLY(id, name, kind, def, lo, hi, rollout, key, label)
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
    ;

// Every position from 1 to kKeyLength is taken by exactly one row.
constexpr bool keyPositionsAreDistinct() {
  int uses[kKeyLength + 1] = {};
  for (int position : {
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) key,
#define ORB_BLOCK_ONLY(id, name, kind, def, lo, hi, rollout, key, label)
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
       })
    if (position < 0 || position > kKeyLength || (position > 0 && uses[position]++ > 0)) return false;
  return true;
}
static_assert(kKeyLength > 0 && keyPositionsAreDistinct());

// The key's values in key order.
std::array<std::uint64_t, kKeyLength> keyValues(const Params& p) {
  std::array<std::uint64_t, kKeyLength> v{};
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) \
  if constexpr ((key) > 0) v[(key) - 1] = bits(p.name);
#define ORB_BLOCK_ONLY(id, name, kind, def, lo, hi, rollout, key, label)
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
  return v;
}
}  // namespace

std::uint64_t simulationKey(const Params& p, const VeilSourceSet& sources) {
  const std::array<std::uint64_t, kKeyLength> v = keyValues(p);
  std::uint64_t h = (v[0] + 0xA2C91C6D4868EB50ull) ^ 0x0012345678ABCDEFull;
  for (int i = 1; i < kKeyLength; ++i) h = hashCombine(h, v[i]);
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
