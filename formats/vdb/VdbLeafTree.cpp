#include "formats/vdb/VdbLeafTree.h"

#include <algorithm>
#include <cstddef>

namespace formats::vdb {
namespace {

// Arithmetic shifts floor negative indices: -1 lies in the leaf at -8.
int32_t LeafBlock(int32_t index) { return index >> 3; }

// The file orders root children by origin (x, then y, then z), then level-1
// nodes and leaves by their offsets within their parents. One packed key per
// leaf reproduces exactly that order.
struct FileOrderKey {
  uint64_t root;     // biased root-child coordinates, 20 bits each
  uint32_t offsets;  // level-2 offset above the level-1 offset
  uint32_t leaf;

  bool operator<(const FileOrderKey& other) const {
    return root != other.root ? root < other.root : offsets < other.offsets;
  }
};

constexpr int32_t kSkipRun = 16;

// A fixed trip count lets the compiler turn this into a few vector compares.
bool AnyAbove(const float* cells, float cutoff) {
  int above = 0;
  for (int32_t i = 0; i < kSkipRun; ++i) above |= cells[i] > cutoff;
  return above != 0;
}

FileOrderKey KeyOf(const Leaf& leaf, uint32_t index) {
  uint64_t root = 0;
  for (int32_t c : leaf.origin) root = (root << 20) | static_cast<uint64_t>((c >> 12) + (1 << 19));
  const auto offsets = static_cast<uint32_t>(Level2Offset(leaf.origin)) << 12 |
                       static_cast<uint32_t>(Level1Offset(leaf.origin));
  return {root, offsets, index};
}

Coord Masked(const Coord& c, int32_t mask) { return {c[0] & mask, c[1] & mask, c[2] & mask}; }

// Walks the dense grid z outermost, then y, then x. Only one z-slab of leaves
// can be open at a time, so a 2-D table of leaf slots per slab is enough.
// Most of a frame is empty: runs of cells are first tested with a branch-free
// check the compiler vectorises, and only runs holding ink are visited.
void SelectVoxels(const DenseGrid& grid, float cutoff, LeafTree& tree) {
  const int32_t bx0 = LeafBlock(grid.ox), by0 = LeafBlock(grid.oy);
  const auto blocksX = static_cast<size_t>(LeafBlock(grid.ox + (grid.nx - 1)) - bx0 + 1);
  const auto blocksY = static_cast<size_t>(LeafBlock(grid.oy + (grid.ny - 1)) - by0 + 1);
  std::vector<int32_t> slab(blocksX * blocksY, -1);

  Coord lo{INT32_MAX, INT32_MAX, INT32_MAX}, hi{INT32_MIN, INT32_MIN, INT32_MIN};
  for (int32_t k = 0; k < grid.nz; ++k) {
    const int32_t z = grid.oz + k;
    if (k > 0 && (z & 7) == 0) std::fill(slab.begin(), slab.end(), -1);
    for (int32_t j = 0; j < grid.ny; ++j) {
      const int32_t y = grid.oy + j;
      const float* row =
          grid.values + (static_cast<size_t>(k) * grid.ny + static_cast<size_t>(j)) * grid.nx;
      int32_t* slots = slab.data() + static_cast<size_t>(LeafBlock(y) - by0) * blocksX;
      for (int32_t run = 0; run < grid.nx; run += kSkipRun) {
        const int32_t end = std::min(run + kSkipRun, grid.nx);
        if (end - run == kSkipRun && !AnyAbove(row + run, cutoff)) continue;
        for (int32_t i = run; i < end; ++i) {
          const float value = row[i];
          if (!(value > cutoff)) continue;  // also drops NaN
          const int32_t x = grid.ox + i;
          int32_t& slot = slots[LeafBlock(x) - bx0];
          if (slot < 0) {
            slot = static_cast<int32_t>(tree.leaves.size());
            tree.leaves.emplace_back().origin = Masked({x, y, z}, ~7);
          }
          Leaf& leaf = tree.leaves[static_cast<size_t>(slot)];
          leaf.values[static_cast<size_t>((x & 7) * 64 + (y & 7) * 8 + (z & 7))] = value;
          leaf.valueMask[static_cast<size_t>(x & 7)] |= uint64_t{1} << ((y & 7) * 8 + (z & 7));
          ++tree.activeVoxelCount;
          lo = {std::min(lo[0], x), std::min(lo[1], y), std::min(lo[2], z)};
          hi = {std::max(hi[0], x), std::max(hi[1], y), std::max(hi[2], z)};
        }
      }
    }
  }
  if (tree.activeVoxelCount > 0) {
    tree.bboxMin = lo;
    tree.bboxMax = hi;
  }
}

// Sorts the leaves into file order and cuts that order into level-1 nodes and
// root children.
void GroupLeaves(LeafTree& tree) {
  std::vector<FileOrderKey> keys;
  keys.reserve(tree.leaves.size());
  for (size_t i = 0; i < tree.leaves.size(); ++i)
    keys.push_back(KeyOf(tree.leaves[i], static_cast<uint32_t>(i)));
  std::sort(keys.begin(), keys.end());

  tree.leafOrder.reserve(keys.size());
  for (const FileOrderKey& key : keys) {
    const Coord& origin = tree.leaves[key.leaf].origin;
    const Coord level1 = Masked(origin, ~127);
    const Coord level2 = Masked(origin, ~4095);
    if (tree.rootChildren.empty() || tree.rootChildren.back().origin != level2)
      tree.rootChildren.push_back({level2, static_cast<uint32_t>(tree.level1Nodes.size()), 0});
    if (tree.rootChildren.back().count == 0 || tree.level1Nodes.back().origin != level1) {
      tree.level1Nodes.push_back({level1, static_cast<uint32_t>(tree.leafOrder.size()), 0});
      ++tree.rootChildren.back().count;
    }
    ++tree.level1Nodes.back().count;
    tree.leafOrder.push_back(key.leaf);
  }
}

}  // namespace

LeafTree BuildLeafTree(const DenseGrid& grid, float cutoff) {
  LeafTree tree;
  if (grid.nx > 0 && grid.ny > 0 && grid.nz > 0) SelectVoxels(grid, cutoff, tree);
  GroupLeaves(tree);
  return tree;
}

}  // namespace formats::vdb
