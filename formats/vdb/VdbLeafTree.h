#pragma once
// The sparse tree of a density volume: the active voxels of a dense grid
// gathered into 8^3 leaves, grouped under 16^3 level-1 nodes (128 voxels
// across) and 32^3 level-2 nodes (4,096 voxels across), the root's children.

#include "formats/vdb/DensityVdb.h"

#include <array>
#include <cstdint>
#include <deque>
#include <vector>

namespace formats::vdb {

using Coord = std::array<int32_t, 3>;

constexpr int kLeafVoxelCount = 512;
constexpr int kLevel1ChildCount = 4096;   // 16^3 leaves
constexpr int kLevel2ChildCount = 32768;  // 32^3 level-1 nodes

struct Leaf {
  Coord origin;                             // multiples of 8
  std::array<uint64_t, 8> valueMask{};      // word x & 7, bit (y & 7) * 8 + (z & 7)
  std::array<float, kLeafVoxelCount> values{};
};

// Children of a node are a run of the next level's nodes in file order.
struct NodeRun {
  Coord origin;
  uint32_t first = 0;
  uint32_t count = 0;
};

struct LeafTree {
  std::deque<Leaf> leaves;           // in creation order; a deque never moves them
  std::vector<uint32_t> leafOrder;   // indices into leaves, in file order
  std::vector<NodeRun> level1Nodes;  // file order; runs of leafOrder
  std::vector<NodeRun> rootChildren; // root order; runs of level1Nodes
  int64_t activeVoxelCount = 0;
  Coord bboxMin{};                   // (0, 0, 0)-(0, 0, 0) when nothing is active
  Coord bboxMax{};
};

// Where a node sits in its parent's child table.
inline int32_t Level1Offset(const Coord& c) {
  return ((c[0] & 127) >> 3) * 256 + ((c[1] & 127) >> 3) * 16 + ((c[2] & 127) >> 3);
}
inline int32_t Level2Offset(const Coord& c) {
  return ((c[0] & 4095) >> 7) * 1024 + ((c[1] & 4095) >> 7) * 32 + ((c[2] & 4095) >> 7);
}

// Selects the cells strictly above `cutoff` and groups them. The grid must be
// valid (sizes non-negative, values present, indices within int32). Throws
// std::bad_alloc when the leaves do not fit in memory.
LeafTree BuildLeafTree(const DenseGrid& grid, float cutoff);

}  // namespace formats::vdb
