#pragma once
// The render host of one ink object: its device buffers, which persist
// between frames and only grow, and the launch order of one frame. Every
// failure returns false with one line in the status text; the outputs are
// then not valid. Host vectors never throw out of these calls.
#include <cstdint>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "ink/render/Bubbles.h"
#include "ink/render/RenderRecords.h"
#include "ink/render/RenderSettings.h"
#include "ink/sim/AssembleParams.h"
#include "ink/sim/Chunk.h"
#include "util/Vec.h"

namespace ink {

// Supersampling is capped at 4 × 4 samples per pixel.
constexpr int kMaxAntialias = 4;

// What the antialias wrapper reads from the ink object besides the settings.
struct RenderObjectState {
  std::int32_t antialias = 1;  // samples per pixel side
  // One entry per current source: the id base, whose upper 24 bits
  // (entry >> 40) are the group index. Used when the settings carry no
  // per-source list.
  std::vector<std::uint64_t> sourceEntries;
  AssembleParams assemble{};  // at the frame's time, with the entries
};

class RenderHost {
 public:
  RenderHost() = default;
  RenderHost(const RenderHost&) = delete;
  RenderHost& operator=(const RenderHost&) = delete;

  // Renders at object.antialias samples per pixel side (at most 4) and
  // averages them down to the settings' size. `image` receives width ×
  // height × 4 floats (RGBA, linear, rows top to bottom); `passes`, when
  // given and the settings want passes, width × height × 24 floats.
  // `weights` holds the mass of one particle of each source.
  bool render(const RenderSettings& settings, const RenderObjectState& object, const std::vector<ChunkSource>& sources,
              const std::vector<float>& weights, std::vector<float>& image, std::vector<float>* passes,
              std::string& status);

  // One render at the settings' size, under the GPU lock for its whole
  // duration. The pass record goes to the vector set by the wrapper.
  bool renderFrameCore(const RenderSettings& settings, const std::vector<ChunkSource>& sources,
                       const std::vector<float>& weights, std::vector<float>& image, std::string& status);

  double lastRenderSeconds() const { return lastRenderSeconds_; }
  std::int64_t gridCapacity() const { return gridCapacity_; }
  std::int64_t pixelCapacity() const { return accumulator_.capacity() / 6; }

 private:
  struct Frame;  // the per-frame derived values, RenderHost.cpp
  bool prepareBuffers(const RenderSettings& s, Frame& f, std::string& status);
  bool uploadImages(const RenderSettings& s, Frame& f, std::string& status);
  bool rasterise(const RenderSettings& s, Frame& f, std::string& status);
  bool buildGrids(const RenderSettings& s, const std::vector<ChunkSource>& sources, const std::vector<float>& weights,
                  Frame& f, std::string& status);
  bool splatSources(const RenderSettings& s, const std::vector<ChunkSource>& sources,
                    const std::vector<float>& weights, Frame& f, std::string& status);
  bool traceCaustics(const RenderSettings& s, Frame& f, std::string& status);
  bool finish(const RenderSettings& s, Frame& f, std::vector<float>& image, std::string& status);

  // Grids: density, one optical-depth grid per light slot, the view's.
  gpu::DeviceArray<float> density_, lightGrids_, viewGrid_;
  std::int64_t gridCapacity_ = 0;  // cells per grid
  std::int64_t lightSlots_ = 0;
  // Image: the RGBA result and the splat accumulator.
  gpu::DeviceArray<float> image_, accumulator_;
  gpu::DeviceArray<float> hdri_, colourMap_, background_;
  gpu::DeviceArray<float> mattePairs_;
  gpu::DeviceArray<MatteTriangle> matteTriangles_;
  gpu::DeviceArray<SceneTriangle> sceneTriangles_;
  gpu::DeviceArray<float> sceneDepth_;
  gpu::DeviceArray<std::int32_t> sceneIndex_;
  gpu::DeviceArray<float> passAccumulator_, passOutput_;
  gpu::DeviceArray<orb::Vec> previous_;  // staging for the largest chunk
  gpu::DeviceArray<Bubble> bubbles_;     // the frame's bubbles, placed once

  double lastRenderSeconds_ = 0.0;
  std::vector<float>* passTarget_ = nullptr;  // set by the wrapper for one call
};

// The process-wide caustic maps: photons and their filtered map, lights ×
// 384 × 384 floats each, grown on demand and kept for the process.
struct CausticMaps {
  gpu::DeviceArray<float> photons, filtered;
};
CausticMaps& causticMaps();

}  // namespace ink
