#pragma once
// Sparse density volumes for other tools to load as fog volumes: one float
// grid in the OpenVDB file format (version 224, uncompressed, tree
// "Tree_float_5_4_3"), written by our own code from a dense host grid.

#include <cstddef>
#include <cstdint>
#include <string>

namespace formats {

// A dense block of cells in host memory, x fastest, then y, then z: cell
// (i, j, k) holds values[i + (j + k * ny) * nx] and becomes voxel index
// (ox + i, oy + j, oz + k). The ink exporter passes an n^3 grid with every
// origin at -(n / 2), so index (0, 0, 0) sits at the ink object's origin.
struct DenseGrid {
  const float* values = nullptr;
  int32_t nx = 0, ny = 0, nz = 0;
  int32_t ox = 0, oy = 0, oz = 0;
};

// Writes `grid` to `path` (UTF-8) as the grid `gridName`. Only cells strictly
// above `cutoff` are stored, as active voxels; every other cell reads as the
// background 0. `voxelSize` is the world size of one voxel (uniform scale,
// no translation).
//
// `leafCount` receives the number of 8^3 leaves stored; it is set before the
// file is opened, so it is valid even when writing fails. On failure the
// result is false and `message` holds one line:
//   "cannot write <path>"                          the file cannot be opened
//   "write error <path>"                           the stream failed while writing
//   "not enough system memory to write <path>"     the leaves do not fit in memory
//   "invalid density grid for <path>"              negative sizes, no values for a
//                                                  non-empty grid, indices beyond
//                                                  int32, or a voxel size that is
//                                                  not finite and positive
// A failed write removes the partial file when it is a regular file, so no
// broken volume is left behind. `message` is untouched on success.
bool WriteDensityVdb(const std::string& path, const std::string& gridName, const DenseGrid& grid,
                     double voxelSize, float cutoff, std::string& message, std::size_t& leafCount);

}  // namespace formats
