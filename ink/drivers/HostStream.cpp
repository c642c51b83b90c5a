#include "ink/drivers/HostStream.h"

#include <mutex>
#include <new>

#include "ink/render/RenderUpload.h"
#include "ink/sim/GpuContext.h"

namespace ink {

namespace {
// Grows `host` to `count` elements and copies them down; false when the
// buffer cannot grow or the copy fails, with the reason.
// Copies `count` elements down to `host`; false with the reason.
template <class T>
bool download(T* host, const T* device, std::int64_t count, std::string& error) {
  if (count == 0 || gpu::memcpy(host, device, sizeof(T) * static_cast<std::size_t>(count),
                                gpu::CopyKind::DeviceToHost) == gpu::Success)
    return true;
  error = "download failed";
  return false;
}

// Grows `host` to `count` elements and copies them down.
template <class T>
bool toHost(std::vector<T>& host, const T* device, std::int64_t count, std::string& error) {
  try {
    if (static_cast<std::int64_t>(host.size()) < count) host.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    error = "not enough system memory for a chunk of " + std::to_string(count) + " particles";
    return false;
  }
  return download(host.data(), device, count, error);
}
}  // namespace

bool streamToHost(const EvaluatedSources& sources, unsigned fields, const HostChunkSink& sink, std::string& status,
                  std::span<orb::Vec> positionsInto) {
  std::lock_guard lock(gpuLock());
  std::vector<orb::Vec> positions, rest;
  std::vector<float> weights;
  std::int64_t offset = 0;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    std::string error;
    const bool streamed = sources.sources[i](
        [&](const Chunk& chunk) {
          HostChunk h;
          h.source = i;
          h.offset = offset;
          h.first = chunk.first;
          h.count = chunk.count;
          h.restIsUV = chunk.kind == 1;
          if (positionsInto.empty()) {
            if (!toHost(positions, chunk.positions, chunk.count, error)) return false;
            h.positions = positions.data();
          } else {
            if (offset + chunk.count > static_cast<std::int64_t>(positionsInto.size())) {
              error = "the sources streamed more particles than they announced";
              return false;
            }
            h.positions = positionsInto.data() + offset;
            if (!download(positionsInto.data() + offset, chunk.positions, chunk.count, error)) return false;
          }
          if ((fields & kHostWeights) && chunk.weights) {
            if (!toHost(weights, chunk.weights, chunk.count, error)) return false;
            h.weights = weights.data();
          }
          if ((fields & kHostRest) && chunk.rest) {
            if (!toHost(rest, chunk.rest, chunk.count, error)) return false;
            h.rest = rest.data();
          }
          offset += chunk.count;
          return sink(h, error);
        },
        error);
    if (!streamed) {
      status = error.empty() ? "streaming stopped by the consumer" : error;
      return false;
    }
  }
  return true;
}

bool reservePositions(std::vector<orb::Vec>& positions, std::int64_t count, std::string& status) {
  try {
    if (renderFaults::hostAllocationFaultDue() || !hostMemoryHolds(count * static_cast<std::int64_t>(sizeof(orb::Vec))))
      throw std::bad_alloc();
    positions.resize(static_cast<std::size_t>(count));
    return true;
  } catch (const std::bad_alloc&) {
    positions = {};
    status = "not enough system memory for the previous frame's " + std::to_string(count) + " positions";
    return false;
  }
}

bool capturePositions(const EvaluatedSources& sources, std::vector<orb::Vec>& positions, std::string& status) {
  if (!reservePositions(positions, sources.count, status)) return false;
  const bool copied = streamToHost(
      sources, kHostPositions, [](const HostChunk&, std::string&) { return true; }, status, positions);
  if (!copied) positions = {};
  return copied;
}

}  // namespace ink
