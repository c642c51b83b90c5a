#pragma once
// The water-ink source of one ink object and one use (viewport or render):
// particles poured from the source ball and carried by the stored water.
// Particles keep the substep they stand at, so playing forward costs only
// the new substeps and going back starts again from the pour.
// Each entry point holds the GPU lock for its whole duration.
#include <cstdint>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "ink/sim/Chunk.h"
#include "ink/sim/PlumeRecords.h"
#include "ink/sim/PlumeWater.h"
#include "util/Vec.h"

namespace ink {

// Substeps one advance launch covers at most.
constexpr std::int32_t kPlumeSubstepsPerLaunch = 64;

class PlumeSim {
 public:
  PlumeSim() = default;
  PlumeSim(const PlumeSim&) = delete;
  PlumeSim& operator=(const PlumeSim&) = delete;

  // Simulates `water` for the record if it has no history for it yet (the
  // cloth, when given, a wall in it), then sizes the particle buffers. A
  // changed record or water run starts the particles over.
  bool configure(const PlumeParams& params, PlumeWater& water, const ClothTriangles& cloth, std::string& error);
  // Brings every particle to the substep nearest time t (seconds).
  bool advance(float t, std::string& error);
  // One chunk: every particle with its weight (0 before its birth).
  bool stream(const ChunkSink& sink, std::string& error);
  ChunkSource source();

  std::int64_t count() const { return count_; }
  // The substep the particles stand at; -1 before the first advance.
  std::int32_t substep() const { return substep_; }
  // Substeps the last advance ran.
  std::int32_t lastSubsteps() const { return lastSubsteps_; }

  friend bool downloadPlume(PlumeSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions,
                            std::vector<float>* weights, std::string& error);

 private:
  PlumeParams params_{};
  const PlumeWater* water_ = nullptr;
  std::uint64_t waterRun_ = 0;
  std::int64_t count_ = 0;
  std::int32_t substep_ = -1;
  std::int32_t lastSubsteps_ = 0;
  gpu::DeviceArray<orb::Vec> positions_;
  gpu::DeviceArray<float> weights_;
};

// The first min(maxCount, N) particles (and their weights when asked), for
// the viewport and tests.
bool downloadPlume(PlumeSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::vector<float>* weights,
                   std::string& error);

}  // namespace ink
