#pragma once
// The silk drifting with the water: a source wrapping another that hands
// on each of its chunks with the positions moved by drag × the water's
// velocity there. The moved positions live in one device buffer that grows
// per chunk and is reused.
#include <string>

#include "gpu/DeviceArray.h"
#include "ink/sim/Chunk.h"
#include "ink/sim/PlumeWater.h"
#include "util/Vec.h"

namespace ink {

class PlumeDrift {
 public:
  PlumeDrift() = default;
  PlumeDrift(const PlumeDrift&) = delete;
  PlumeDrift& operator=(const PlumeDrift&) = delete;

  // `inner` with its positions moved at frame position `frame` (frames
  // since the water's start). Without a history, with drag <= 0, or when
  // the buffer cannot grow, chunks pass unchanged. The source refers to
  // this object and to `water`, which must outlive its use.
  ChunkSource wrap(ChunkSource inner, const PlumeWater& water, float frame, float drag);

 private:
  bool stream(const ChunkSource& inner, const PlumeWater& water, float frame, float drag, const ChunkSink& sink,
              std::string& error);

  gpu::DeviceArray<orb::Vec> moved_;
};

}  // namespace ink
