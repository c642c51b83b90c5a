#pragma once
// One baked loop of veil motion per orb, re-baked only when the simulation
// inputs change; playback at any time only reads it.
#include <cstdint>
#include <string>
#include <vector>

#include "orb/ClothGrid.h"
#include "util/Vec.h"

namespace orb {

struct VeilSourceSet;

struct VeilCache {
  std::uint64_t key = 0;
  std::int32_t along = 0, across = 0;
  std::int32_t veils = 0;
  std::int32_t frames = 0;
  std::vector<Vec> frameData;  // frames x particles, frame-major
  std::vector<Vec> rest;       // the rest positions the bake used
  bool usedGpu = false;
  std::string solverName;
  double seconds = 0;

  ClothGrid grid() const { return {along, across, veils}; }
  // Only a complete cache is played back.
  bool complete() const {
    return frames > 0 && along > 0 && across > 0 && veils > 0 &&
           frameData.size() == static_cast<std::size_t>(frames) * static_cast<std::size_t>(grid().particles());
  }
  // "<solver> | <frames> frames | <seconds> s"
  std::string statusLine() const;
};

// The hash of every input that shapes the simulated motion.
std::uint64_t simulationKey(const Params& p, const VeilSourceSet& sources);

// The rest positions of a bake: the procedural shape, with every veil that
// has a source replaced by its samples (held inside the shell).
std::vector<Vec> bakeRestPositions(const Params& p, const ClothGrid& grid, const VeilSourceSet& sources);

// Playback position in frames, in [0, frames), for scene time tau seconds.
double playbackFrame(const Params& p, double tau, int frames);

}  // namespace orb
