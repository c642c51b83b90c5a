#include "ink/sim/AssembleStage.h"

#include <string>
#include <utility>

#include "gpu/FirstError.h"
#include "ink/sim/AssembleKernel.h"
#include "ink/sim/AssembleMorph.h"

namespace ink {

ChunkSource AssembleStage::wrap(ChunkSource inner, const AssembleParams& params, std::int64_t groupTag) {
  if (!assembleMoves(params)) return inner;
  return [this, inner = std::move(inner), params, groupTag](const ChunkSink& sink, std::string& error) {
    // The inner source only learns that the sink stopped; the reason is
    // kept here and replaces whatever text the inner source leaves.
    std::string failure;
    const ChunkSink morph = [&](const Chunk& chunk) {
      if (!output_.reserve(chunk.count)) {
        failure = "GPU out of memory (assemble)";
        return false;
      }
      gpu::FirstError device;
      if (!device.check(assembleKernel(params, chunk.positions, output_.data(), chunk.count, groupTag + chunk.first),
                        "launch failed")) {
        failure = device.text();
        return false;
      }
      Chunk moved = chunk;
      moved.positions = output_.data();
      return sink(moved);
    };
    if (inner(morph, error)) return true;
    if (!failure.empty()) error = failure;
    return false;
  };
}

}  // namespace ink
