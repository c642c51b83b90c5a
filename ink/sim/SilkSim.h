#pragma once
// The silk source of one ink object and one use (viewport or render): ink
// lying on a cloth surface. It keeps the cloth's triangles and their
// texture-area table on the device and regenerates every particle from them
// each time it is streamed, so the silk follows the cloth exactly and needs
// no time state. Each entry point holds the GPU lock for its whole duration.
#include <cstdint>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "ink/sim/AreaPick.h"
#include "ink/sim/Chunk.h"
#include "ink/sim/SilkRecords.h"
#include "util/Vec.h"

namespace ink {

// Silk batches take half of the 16-byte budget, within the stream chunk bounds.
std::int64_t silkChunkSize(std::int64_t budget16);

class SilkSim {
 public:
  SilkSim() = default;
  SilkSim(const SilkSim&) = delete;
  SilkSim& operator=(const SilkSim&) = delete;

  // Takes the record and the cloth's triangles. When the batch buffers
  // cannot be had the text is "GPU out of memory (silk chunk)" and the call
  // still succeeds: the source then answers "silk not configured" until a
  // later configure obtains them (see ready()).
  bool configure(const SilkParams& params, const std::vector<SilkTri>& triangles, std::string& error);
  // Streams every particle with its texture position in the rest slot.
  bool stream(const ChunkSink& sink, std::string& error);
  ChunkSource source();

  // True when the source can stream: triangles and batch buffers are held.
  bool ready() const { return params_.triangleCount > 0 && chunk_ > 0; }
  std::int64_t count() const { return params_.count; }
  std::int64_t chunkSize() const { return chunk_; }
  const SilkParams& params() const { return params_; }
  const std::vector<SilkTri>& triangles() const { return lastTriangles_; }

  friend bool downloadSilk(SilkSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions,
                           std::string& error);

 private:
  bool uploadMesh(const std::vector<SilkTri>& triangles, std::string& error);
  GuidedPick pick() const { return {areas_.data(), guide_.data(), guideCells_}; }
  bool allocateChunk();

  SilkParams params_{};
  std::vector<SilkTri> lastTriangles_;  // what the device holds
  std::int64_t chunk_ = 0;
  gpu::DeviceArray<SilkTri> triangles_;
  gpu::DeviceArray<float> areas_;
  gpu::DeviceArray<std::int32_t> guide_;  // of the area table (ink/sim/AreaPick.h)
  std::int32_t guideCells_ = 0;
  gpu::DeviceArray<orb::Vec> positions_;
  gpu::DeviceArray<float> weights_;
  gpu::DeviceArray<orb::Vec> texture_;  // allocated on the first stream
};

// The first min(maxCount, silk count, chunk size) particles, for the viewport.
bool downloadSilk(SilkSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::string& error);

// Running sum of the triangles' texture areas (each at least 1e-12),
// normalised to end at 1.
std::vector<float> silkAreaTable(const std::vector<SilkTri>& triangles);

}  // namespace ink
