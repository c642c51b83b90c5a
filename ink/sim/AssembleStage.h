#pragma once
// The assemble stage: wraps particle sources so that every batch they stream
// passes through the assemble kernel before it reaches the consumer. The
// wrapped sources share the stage's output buffer, which grows to the
// largest batch and is kept: sources stream one after another, and a batch
// is only valid until its sink returns.
#include <cstdint>

#include "gpu/DeviceArray.h"
#include "ink/sim/AssembleParams.h"
#include "ink/sim/Chunk.h"
#include "util/Vec.h"

namespace ink {

class AssembleStage {
 public:
  AssembleStage() = default;
  AssembleStage(const AssembleStage&) = delete;
  AssembleStage& operator=(const AssembleStage&) = delete;

  // A source that streams `inner` with every batch's positions morphed by
  // `params`, particle first + i of a batch taking the assemble index
  // groupTag + first + i. The other channels pass through unchanged. A
  // record that moves nothing passes the batches through as they are. The
  // stage must outlive the source; the source runs under the lock the inner
  // source takes.
  ChunkSource wrap(ChunkSource inner, const AssembleParams& params, std::int64_t groupTag);

  std::int64_t capacity() const { return output_.capacity(); }

 private:
  gpu::DeviceArray<orb::Vec> output_;
};

}  // namespace ink
