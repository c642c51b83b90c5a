#pragma once
// Streams evaluated sources to host code: every chunk's device arrays are
// copied into reused host buffers before the callback sees them.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "ink/InkEvaluation.h"
#include "util/Vec.h"

namespace ink {

// One chunk on the host. The pointers are valid until the callback returns.
struct HostChunk {
  std::size_t source = 0;   // index into the evaluated sources
  std::int64_t offset = 0;  // running index of the first particle over all sources
  std::int64_t first = 0;   // index of the first particle within its source
  std::int64_t count = 0;
  const orb::Vec* positions = nullptr;
  const float* weights = nullptr;  // when asked for and the source has weights
  const orb::Vec* rest = nullptr;  // when asked for and the source has rest values
  bool restIsUV = false;           // the rest values are cloth UVs (silk)
};

enum HostFields : unsigned { kHostPositions = 0, kHostWeights = 1, kHostRest = 2 };

// False stops the stream; the callback then leaves its reason in `error`.
using HostChunkSink = std::function<bool(const HostChunk&, std::string& error)>;

// Streams every source in evaluation order under the GPU lock. With
// `positionsInto` (one entry per particle of the evaluation) every chunk's
// positions are copied straight to their running offset there, and the
// chunk's `positions` point into it. False with one line in `status`: a
// source's own text, the callback's, "download failed", a host buffer that
// does not fit, or more particles than `positionsInto` holds.
bool streamToHost(const EvaluatedSources& sources, unsigned fields, const HostChunkSink& sink, std::string& status,
                  std::span<orb::Vec> positionsInto = {});

// Room for `count` positions; false with "not enough system memory for the
// previous frame's <count> positions" when the host cannot hold them, which
// is checked before anything is allocated.
bool reservePositions(std::vector<orb::Vec>& positions, std::int64_t count, std::string& status);

// Every particle position in streaming order, as the renderer and the PRT
// velocities want the previous frame. On failure `positions` is left empty
// and `status` says why.
bool capturePositions(const EvaluatedSources& sources, std::vector<orb::Vec>& positions, std::string& status);

}  // namespace ink
