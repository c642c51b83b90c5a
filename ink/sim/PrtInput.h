#pragma once
// Particles loaded from a PRT file, streamed to the device in batches as one
// more particle source, with their density, colour and emission channels.
#include <cstdint>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "ink/sim/Chunk.h"
#include "util/Vec.h"

namespace ink {

// A batch of PRT input holds at most this many particles.
constexpr std::int64_t kPrtInputBatch = 16777216;

class PrtInput {
 public:
  PrtInput() = default;
  PrtInput(const PrtInput&) = delete;
  PrtInput& operator=(const PrtInput&) = delete;

  // Takes the loaded lists (x, y, z and r, g, b triples, one density each).
  // A density list of another length than the positions becomes 1.0 for
  // every particle; colours and emission stream only when they have exactly
  // one entry per particle.
  void load(std::vector<float> positions, std::vector<float> densities, std::vector<float> colours,
            std::vector<float> emission);
  // Drops the loaded particles and the device batches.
  void clear();

  // Streams the loaded particles in batches of at most kPrtInputBatch. Holds
  // the GPU lock. "no PRT particles loaded" without particles, "GPU out of
  // memory (PRT input)" when the batch buffers cannot grow.
  bool stream(const ChunkSink& sink, std::string& error);
  ChunkSource source();

  std::int64_t count() const { return static_cast<std::int64_t>(positions_.size() / 3); }
  const std::vector<float>& positions() const { return positions_; }
  bool streamsColours() const { return colours_.size() == positions_.size() && !positions_.empty(); }
  bool streamsEmission() const { return emission_.size() == positions_.size() && !positions_.empty(); }
  std::int64_t batchCapacity() const { return capacity_; }

 private:
  bool reserveBatch(std::int64_t batch);
  void releaseDevice();

  std::vector<float> positions_, densities_, colours_, emission_;
  gpu::DeviceArray<orb::Vec> devicePositions_, deviceColours_, deviceEmission_;
  gpu::DeviceArray<float> deviceDensities_;
  std::int64_t capacity_ = 0;
};

}  // namespace ink
