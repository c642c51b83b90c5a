#pragma once
// The particle batch protocol: every engine is a source that streams its
// particles batch by batch to a consumer's sink.
#include <cstdint>
#include <functional>
#include <string>

#include "util/Vec.h"

namespace ink {

// One batch of device-resident particles. The pointers are valid only until
// the sink returns: the source reuses its buffers for the next batch.
struct Chunk {
  const orb::Vec* positions = nullptr;
  const float* weights = nullptr;  // opacity weight, or density for PRT input
  std::int64_t count = 0;
  std::int64_t first = 0;  // global index of the batch's first particle in its source
  const orb::Vec* rest = nullptr;  // seed positions, may be null
  int kind = 0;                    // 1 for silk batches
  const orb::Vec* colours = nullptr;
  const orb::Vec* emission = nullptr;
};

// Returns false to stop the stream.
using ChunkSink = std::function<bool(const Chunk&)>;
// Streams every chunk of a source into the sink; false with a one-line text.
using ChunkSource = std::function<bool(const ChunkSink&, std::string&)>;

// What a source reports when its sink stops the stream: the sink's own text
// when it left one, else a line saying so, so that a stopped stream never
// reaches a status line as an empty text.
inline bool sinkStopped(std::string& error) {
  if (error.empty()) error = "streaming stopped by the consumer";
  return false;
}

}  // namespace ink
