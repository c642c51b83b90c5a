#pragma once
// The thick, soft-edged, wrinkled cloth band of one veil, sampled from the
// baked frames at a fractional frame.
#include <cstdint>
#include <vector>

#include "orb/OrbMeshBuffers.h"
#include "orb/Params.h"
#include "orb/VeilCache.h"

namespace orb {

// Working grids of the veil build, kept between builds. The rest surface's
// tangent lengths do not change with time, so they are kept per veil until
// the bake, the output grid or the radius changes.
struct VeilScratch {
  std::vector<Vec> blended, across, surface;
  struct RestLengths {
    std::uint64_t key = 0;
    std::vector<float> lengths;
  };
  std::vector<RestLengths> rest;
};

// Output grid of a veil for segment count s: rows along and columns across.
int veilRows(int along, int segments);
int veilColumns(int across, int segments);

// Adds veil k of a complete cache at fractional frame x in [0, frames).
void addVeil(OrbMeshBuffers& out, VeilScratch& scratch, const Params& p, const VeilCache& cache, int k, double x,
             int segments);

// Catmull-Rom through p1 and p2 at t in [0, 1].
inline Vec catmullRom(Vec p0, Vec p1, Vec p2, Vec p3, float t) {
  const float t2 = t * t, t3 = t2 * t;
  return (2.f * p1 + (p2 - p0) * t + (2.f * p0 - 5.f * p1 + 4.f * p2 - p3) * t2 + (-p0 + 3.f * p1 - 3.f * p2 + p3) * t3) *
         0.5f;
}

// Bicubic Catmull-Rom resampling of a (rows x cols) point grid to
// (outRows + 1) x (outCols + 1) points at fractional grid positions
// (i / outRows (rows - 1), j / outCols (cols - 1)), neighbours clamped to the
// grid, interpolated across and then along, scaled by `scale`.
void resampleGrid(const Vec* grid, int rows, int cols, int outRows, int outCols, float scale, std::vector<Vec>& across,
                  std::vector<Vec>& out);

}  // namespace orb
