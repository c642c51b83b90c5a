#pragma once
// The swirl source of one ink object and one use (viewport or render):
// particles carried by a Vortex Force through its sampled track, integrated
// in the force's space and handed out in ink space. Always resident; without
// snapshots, so going back in time reseeds and integrates from the start.
// Each entry point holds the GPU lock for its whole duration.
#include <cstdint>
#include <string>
#include <vector>

#include "forces/SwirlFrame.h"
#include "gpu/DeviceArray.h"
#include "ink/sim/Chunk.h"
#include "ink/sim/SwirlRecords.h"
#include "util/Vec.h"

namespace ink {

// Positions, velocities, ink-space positions and weights.
constexpr int kBytesPerSwirlParticle = 40;

class SwirlSim {
 public:
  SwirlSim() = default;
  SwirlSim(const SwirlSim&) = delete;
  SwirlSim& operator=(const SwirlSim&) = delete;

  // Takes the record and the track. A count beyond the 40-byte budget is
  // refused before anything is allocated. An identical record and track keep
  // the state.
  bool configure(const SwirlParams& params, const std::vector<swirl::Frame>& track, std::string& error);
  // Brings every particle to time t (seconds).
  bool advance(float t, std::string& error);
  // Streams the particles in ink space.
  bool stream(const ChunkSink& sink, std::string& error);
  ChunkSource source();

  bool configured() const { return configured_; }
  bool hasState() const { return hasState_; }
  std::int64_t count() const { return count_; }
  float currentTime() const { return time_; }
  double lastAdvanceSeconds() const { return lastAdvanceSeconds_; }

  friend bool downloadSwirl(SwirlSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions,
                            std::string& error);

 private:
  bool allocate(std::int64_t n, std::string& error);
  bool uploadTrack(const std::vector<swirl::Frame>& track, std::string& error);
  bool fail(const std::string& text, std::string& error);
  bool inkSpace(std::string& error);
  void releaseAll();

  SwirlParams params_{};  // the record the kernels see: frames bounded by the track
  SwirlParams lastParams_{};
  std::vector<swirl::Frame> lastTrack_;
  std::int64_t count_ = 0;
  bool configured_ = false, hasState_ = false;
  float time_ = 0.f;
  double lastAdvanceSeconds_ = 0.0;

  gpu::DeviceArray<orb::Vec> positions_;
  gpu::DeviceArray<orb::Vec> velocities_;
  gpu::DeviceArray<float> weights_;
  gpu::DeviceArray<orb::Vec> inkPositions_;
  gpu::DeviceArray<swirl::Frame> track_;
};

// The first min(maxCount, N) particles in ink space, for the viewport.
bool downloadSwirl(SwirlSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::string& error);

}  // namespace ink
