#pragma once
// The byte layout of a one-grid volume file: header, grid descriptor, grid
// metadata, transform, tree topology and leaf buffers.

#include "formats/vdb/VdbLeafTree.h"

#include <ostream>
#include <string>

namespace formats::vdb {

// Bytes a leaf occupies in memory, as readers expect in "file_mem_bytes".
constexpr int64_t kLeafMemBytes = 2112;

// Writes the file to `out` and back-patches the grid, block and end positions
// of the descriptor, leaving the stream at the end. Stream errors are left in
// the stream's state for the caller to test once.
void WriteVdbFile(std::ostream& out, const LeafTree& tree, const std::string& gridName,
                  double voxelSize, const std::string& identifier);

}  // namespace formats::vdb
