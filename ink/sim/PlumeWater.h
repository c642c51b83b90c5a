#pragma once
// The water of the water-ink source: the grid solver run once over the
// whole frame range, keeping every frame's velocity on the device as a
// history that particles and the silk's drift then read at any time. One
// water serves both uses (viewport and render) of an ink object: it depends
// on the water's settings only, not on how many particles ride it.
// Each entry point holds the GPU lock for its whole duration.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "ink/sim/PlumeFlow.h"
#include "ink/sim/PlumeRecords.h"
#include "util/Vec.h"

namespace ink {

// The cloth's triangles at a time (seconds): nine floats each (three
// corners), ink space. False when none can be had; the frame then has no
// wall.
using ClothTriangles = std::function<bool(float seconds, std::vector<float>& triangles)>;

class PlumeWater {
 public:
  PlumeWater() = default;
  PlumeWater(const PlumeWater&) = delete;
  PlumeWater& operator=(const PlumeWater&) = delete;

  // Runs the water over the record's frame range, the cloth (when given) a
  // wall in it, and keeps the history. Skipped when the history was made
  // from the same water settings, with or without a cloth as now. On a
  // failure nothing is held.
  bool simulate(const PlumeParams& params, const ClothTriangles& cloth, std::string& error);
  void release();

  bool hasHistory() const { return frames_ > 0; }
  WaterHistory history() const { return {history_.data(), frames_, grid_}; }
  const PlumeParams& params() const { return params_; }
  // Counts the runs: a particle source starts over when it changes.
  std::uint64_t run() const { return run_; }
  std::int32_t frames() const { return frames_; }
  std::int32_t clothWallCells() const { return clothWallCells_; }
  // The largest cell-centred water speed of any stored frame, scene units
  // per second.
  float maxSpeed() const { return maxSpeed_; }
  double seconds() const { return seconds_; }

 private:
  PlumeParams params_{};
  bool withCloth_ = false;
  vf::GridDesc grid_{};
  std::int32_t frames_ = 0;
  std::int32_t clothWallCells_ = 0;
  float maxSpeed_ = 0.f;
  double seconds_ = 0.0;
  std::uint64_t run_ = 0;
  gpu::DeviceArray<orb::Vec> history_;
};

// The history's bytes: frames × n³ cell velocities.
std::int64_t waterHistoryBytes(const PlumeParams& params);

}  // namespace ink
