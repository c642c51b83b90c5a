#pragma once
// The steps every engine takes the same way around its kernels: the checks
// before an advance, and handing one batch to a consumer.
#include <cmath>
#include <string>

#include "gpu/FirstError.h"
#include "ink/sim/Chunk.h"

namespace ink {

// What an advance to t must do first.
enum class AdvanceStart { Refused, AlreadyThere, Run };

// Refused with "not configured", or with "invalid time" for a NaN or
// infinite t (it would give no step count); AlreadyThere when the state
// already stands at t.
inline AdvanceStart advanceStart(bool configured, bool hasState, float current, float t, std::string& error) {
  if (!configured) {
    error = "not configured";
    return AdvanceStart::Refused;
  }
  if (!std::isfinite(t)) {
    error = "invalid time";
    return AdvanceStart::Refused;
  }
  return hasState && current == t ? AdvanceStart::AlreadyThere : AdvanceStart::Run;
}

// Waits for the work that filled one batch (queued on `device`), hands the
// batch to the sink, then waits for the work the sink queued on it, so that
// the source may reuse the batch's buffers. False when the stream ends here:
// with the device's text, or the sink's stop.
inline bool deliverBatch(gpu::FirstError& device, const ChunkSink& sink, const Chunk& chunk, std::string& error) {
  if (!device.synchronize()) {
    error = device.text();
    return false;
  }
  const bool more = sink(chunk);
  if (!device.synchronize()) {
    error = device.text();
    return false;
  }
  return more || sinkStopped(error);
}

// Hands `count` particles held on the device to the sink as one batch.
inline bool deliverWhole(const ChunkSink& sink, const orb::Vec* positions, const float* weights, std::int64_t count,
                         std::string& error) {
  Chunk chunk;
  chunk.positions = positions;
  chunk.weights = weights;
  chunk.count = count;
  gpu::FirstError device;
  return deliverBatch(device, sink, chunk, error);
}

}  // namespace ink
