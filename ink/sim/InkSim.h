#pragma once
// The ink particle engine of one ink object and one use (viewport or
// render): seeds every particle from its index, advances all of them through
// the flow to the evaluated time and streams them to consumers. Each entry
// point holds the GPU lock for its whole duration.
#include <cstdint>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "gpu/FirstError.h"
#include "ink/sim/Chunk.h"
#include "ink/sim/HostArray.h"
#include "ink/sim/InkRecords.h"
#include "ink/sim/InkSnapshot.h"
#include "util/Vec.h"

namespace ink {

// Chunks of a streamed engine hold between 2^20 and 2^26 particles.
constexpr std::int64_t kMinStreamChunk = 1048576;
constexpr std::int64_t kMaxStreamChunk = 67108864;
// Snapshots go to the device only while this much more stays free.
constexpr std::int64_t kSnapshotDeviceHeadroom = 3221225472;

class InkSim {
 public:
  InkSim() = default;
  InkSim(const InkSim&) = delete;
  InkSim& operator=(const InkSim&) = delete;

  // Takes the record, the vortex track (frame-major) and the emitter
  // triangles. Byte-identical inputs keep the current state and snapshots.
  bool configure(const Params& params, const std::vector<Tube>& tubes, const std::vector<Tri>& triangles,
                 std::string& error);
  // Makes the next configure start over even with identical inputs: the
  // container grid behind the record's pointer was rebuilt in place.
  void requireReconfigure() { configured_ = false; }
  // Brings every particle to time t (seconds).
  bool advance(float t, std::string& error);
  // Streams the current particles with their rest positions.
  bool stream(const ChunkSink& sink, std::string& error);
  ChunkSource source();

  bool configured() const { return configured_; }
  bool hasState() const { return hasState_; }
  bool streamed() const { return streamed_; }
  std::int64_t count() const { return count_; }
  std::int64_t chunkSize() const { return chunk_; }
  float currentTime() const { return time_; }
  double lastAdvanceSeconds() const { return lastAdvanceSeconds_; }
  const std::vector<InkSnapshot>& snapshots() const { return snapshots_; }
  std::int64_t hostSnapshotBytes() const { return hostSnapshotBytes_; }
  // "ink <N>" with " (streamed)" for a streamed engine.
  std::string statusText() const;

  friend void releaseInkEngine(InkSim& sim);
  friend bool downloadInk(InkSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions,
                          std::vector<float>* weights, std::string& error);

 private:
  bool allocateParticles(std::string& error);
  bool uploadInputs(const std::vector<Tube>& tubes, const std::vector<Tri>& triangles, std::string& error);
  bool advanceStreamed(float t, std::string& error);
  bool advanceResident(float t, std::string& error);
  bool launch(std::int64_t first, std::int64_t count, float t0, float t1, bool withState, gpu::FirstError& device);
  bool finishStep(float t, gpu::FirstError& device);
  bool restore(const InkSnapshot& snapshot, gpu::FirstError& device);
  void takeSnapshot();
  // Releases everything and reports `text`: the engine is unconfigured.
  bool fail(const std::string& text, std::string& error);
  // Reports the device sequence's failure: the particles are no longer valid.
  bool lostState(const gpu::FirstError& device, std::string& error);
  void releaseAll();

  Params params_{};  // the record the kernels see: counts bounded by the lists
  Params lastParams_{};
  std::vector<Tube> lastTubes_;
  std::vector<Tri> lastTriangles_;
  std::int64_t count_ = 0;
  std::int64_t chunk_ = 0;
  bool configured_ = false, hasState_ = false, streamed_ = false;
  float time_ = 0.f;
  double lastAdvanceSeconds_ = 0.0;

  gpu::DeviceArray<orb::Vec> positions_;
  gpu::DeviceArray<float> weights_;
  gpu::DeviceArray<orb::Vec> rest_;
  gpu::DeviceArray<Tube> tubes_;
  gpu::DeviceArray<Tri> triangles_;
  gpu::DeviceArray<float> areas_;
  HostArray<orb::Vec> hostPositions_;  // streamed engines only
  HostArray<float> hostWeights_;

  std::vector<InkSnapshot> snapshots_;
  std::int64_t hostSnapshotBytes_ = 0;
};

// Frees every buffer of the engine and returns it to unconfigured.
void releaseInkEngine(InkSim& sim);

// Copies the first min(maxCount, N) positions (and weights when asked) to
// the host.
bool downloadInk(InkSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::vector<float>* weights,
                 std::string& error);

}  // namespace ink
