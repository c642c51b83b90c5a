#include "ink/sim/PlumeDrift.h"

#include <mutex>
#include <utility>

#include "gpu/FirstError.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/PlumeKernels.h"

namespace ink {

ChunkSource PlumeDrift::wrap(ChunkSource inner, const PlumeWater& water, float frame, float drag) {
  return [this, inner = std::move(inner), &water, frame, drag](const ChunkSink& sink, std::string& error) {
    return stream(inner, water, frame, drag, sink, error);
  };
}

bool PlumeDrift::stream(const ChunkSource& inner, const PlumeWater& water, float frame, float drag,
                        const ChunkSink& sink, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!water.hasHistory() || !(drag > 0.f)) return inner(sink, error);
  const WaterHistory history = water.history();
  return inner(
      [&](const Chunk& chunk) {
        if (chunk.count <= 0 || !moved_.reserve(chunk.count)) return sink(chunk);
        gpu::FirstError device;
        device.check(plumeDrift(history, chunk.positions, moved_.data(), chunk.count, frame, drag));
        if (!device.synchronize()) {
          error = device.text();
          return false;
        }
        Chunk moved = chunk;
        moved.positions = moved_.data();
        return sink(moved);
      },
      error);
}

}  // namespace ink
