// Voxel selection, leaf placement and the file order of the sparse tree.

#include "VdbTestSupport.h"
#include "formats/vdb/VdbLeafTree.h"

#include <bit>
#include <cmath>
#include <limits>

using formats::vdb::BuildLeafTree;
using formats::vdb::Coord;
using formats::vdb::LeafTree;
using vdbtest::DenseCells;

namespace {

std::vector<Coord> LeafOriginsInFileOrder(const LeafTree& tree) {
  std::vector<Coord> origins;
  for (uint32_t index : tree.leafOrder) origins.push_back(tree.leaves[index].origin);
  return origins;
}

}  // namespace

TEST(VdbVoxelSelection, KeepsOnlyValuesStrictlyAboveTheCutoff) {
  DenseCells cells(4, 1, 1);
  cells(0, 0, 0) = 0.5f;                                      // equal: dropped
  cells(1, 0, 0) = std::nextafter(0.5f, 1.0f);                // just above: kept
  cells(2, 0, 0) = std::numeric_limits<float>::quiet_NaN();   // never a density
  cells(3, 0, 0) = -1.0f;
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.5f);
  ASSERT_EQ(tree.leaves.size(), 1u);
  EXPECT_EQ(tree.activeVoxelCount, 1);
  EXPECT_EQ(tree.bboxMin, (Coord{1, 0, 0}));
  EXPECT_EQ(tree.bboxMax, (Coord{1, 0, 0}));
}

TEST(VdbVoxelSelection, EmptyFrameHasNoLeavesAndAZeroBoundingBox) {
  DenseCells cells(32, 32, 32, -16, -16, -16);
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  EXPECT_TRUE(tree.leaves.empty());
  EXPECT_TRUE(tree.rootChildren.empty());
  EXPECT_EQ(tree.activeVoxelCount, 0);
  EXPECT_EQ(tree.bboxMin, (Coord{0, 0, 0}));
  EXPECT_EQ(tree.bboxMax, (Coord{0, 0, 0}));
}

TEST(VdbVoxelSelection, GridWithNoCellsIsAnEmptyTree) {
  const formats::DenseGrid none{};
  EXPECT_TRUE(BuildLeafTree(none, 0.0f).leaves.empty());
}

TEST(VdbLeafPlacement, StoresValueAndMaskBitAtTheVoxelsLeafIndex) {
  DenseCells cells(8, 8, 8);
  cells(1, 2, 3) = 7.0f;
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  ASSERT_EQ(tree.leaves.size(), 1u);
  const auto& leaf = tree.leaves[0];
  EXPECT_EQ(leaf.values[1 * 64 + 2 * 8 + 3], 7.0f);
  for (int w = 0; w < 8; ++w) EXPECT_EQ(leaf.valueMask[w], w == 1 ? uint64_t{1} << 19 : 0u) << w;
}

TEST(VdbLeafPlacement, FirstCellOfA32GridSitsInTheLeafAtMinus16) {
  DenseCells cells(32, 32, 32, -16, -16, -16);
  cells(0, 0, 0) = 1.0f;
  cells(31, 31, 31) = 2.0f;
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  EXPECT_EQ(LeafOriginsInFileOrder(tree), (std::vector<Coord>{{-16, -16, -16}, {8, 8, 8}}));
  EXPECT_EQ(tree.bboxMin, (Coord{-16, -16, -16}));
  EXPECT_EQ(tree.bboxMax, (Coord{15, 15, 15}));
  EXPECT_EQ(tree.leaves[tree.leafOrder[1]].values[511], 2.0f);
}

TEST(VdbLeafPlacement, NegativeIndicesFloorToEveryNodeSize) {
  DenseCells cells(2, 1, 1, -1, 0, 0);
  cells(0, 0, 0) = 1.0f;  // index -1
  cells(1, 0, 0) = 1.0f;  // index 0
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  ASSERT_EQ(tree.rootChildren.size(), 2u);
  EXPECT_EQ(tree.rootChildren[0].origin, (Coord{-4096, 0, 0}));
  EXPECT_EQ(tree.rootChildren[1].origin, (Coord{0, 0, 0}));
  ASSERT_EQ(tree.level1Nodes.size(), 2u);
  EXPECT_EQ(tree.level1Nodes[0].origin, (Coord{-128, 0, 0}));
  EXPECT_EQ(LeafOriginsInFileOrder(tree), (std::vector<Coord>{{-8, 0, 0}, {0, 0, 0}}));
  // -1 is the last voxel along x of its leaf: x & 7 = 7.
  EXPECT_EQ(tree.leaves[tree.leafOrder[0]].valueMask[7], 1u);
}

TEST(VdbFileOrder, LeavesFollowTheirLevel1NodesNotPlainCoordinateOrder) {
  // (0, 200, 0) precedes (8, 0, 0) by coordinates, but its level-1 node
  // (0, 128, 0) comes after the one at (0, 0, 0).
  DenseCells cells(9, 201, 1);
  cells(0, 200, 0) = 1.0f;
  cells(8, 0, 0) = 1.0f;
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  EXPECT_EQ(LeafOriginsInFileOrder(tree), (std::vector<Coord>{{8, 0, 0}, {0, 200, 0}}));
  ASSERT_EQ(tree.rootChildren.size(), 1u);
  EXPECT_EQ(tree.rootChildren[0].count, 2u);
  ASSERT_EQ(tree.level1Nodes.size(), 2u);
  EXPECT_EQ(tree.level1Nodes[1].origin, (Coord{0, 128, 0}));
}

TEST(VdbFileOrder, RootChildrenSortByXThenYThenZ) {
  // Cells at the eight corners of a grid straddling index 0 on every axis.
  DenseCells cells(2, 2, 2, -1, -1, -1);
  for (int k = 0; k < 2; ++k)
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) cells(i, j, k) = 1.0f;
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  std::vector<Coord> roots;
  for (const auto& child : tree.rootChildren) roots.push_back(child.origin);
  EXPECT_EQ(roots, (std::vector<Coord>{{-4096, -4096, -4096}, {-4096, -4096, 0}, {-4096, 0, -4096},
                                      {-4096, 0, 0}, {0, -4096, -4096}, {0, -4096, 0},
                                      {0, 0, -4096}, {0, 0, 0}}));
  EXPECT_EQ(tree.level1Nodes.size(), 8u);
  EXPECT_EQ(tree.leaves.size(), 8u);
}

TEST(VdbFileOrder, LeavesWithinALevel1NodeFollowTheirOffsets) {
  DenseCells cells(17, 17, 17);
  const Coord points[] = {{16, 0, 0}, {0, 16, 0}, {0, 0, 16}, {0, 0, 0}, {8, 8, 8}};
  for (const Coord& p : points) cells(p[0], p[1], p[2]) = 1.0f;
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  EXPECT_EQ(LeafOriginsInFileOrder(tree),
            (std::vector<Coord>{{0, 0, 0}, {0, 0, 16}, {0, 16, 0}, {8, 8, 8}, {16, 0, 0}}));
  EXPECT_EQ(tree.level1Nodes.size(), 1u);
  EXPECT_EQ(tree.activeVoxelCount, 5);
}

TEST(VdbFileOrder, OffsetsWithinParentsMatchHandValues) {
  using formats::vdb::Level1Offset;
  using formats::vdb::Level2Offset;
  EXPECT_EQ(Level1Offset({8, 16, 24}), 1 * 256 + 2 * 16 + 3);
  EXPECT_EQ(Level1Offset({-8, -8, -8}), 15 * 256 + 15 * 16 + 15);
  EXPECT_EQ(Level2Offset({128, 256, 384}), 1 * 1024 + 2 * 32 + 3);
  EXPECT_EQ(Level2Offset({-128, 0, -4096}), 31 * 1024);
}

TEST(VdbLeafPlacement, CellsOfOneLeafAcrossSlabsShareTheLeaf) {
  // z runs over two leaves; within each, every row reuses the leaf it opened.
  DenseCells cells(8, 8, 16, 0, 0, -4);
  for (int k = 0; k < 16; ++k)
    for (int j = 0; j < 8; ++j)
      for (int i = 0; i < 8; ++i) cells(i, j, k) = 1.0f + static_cast<float>(i + j + k);
  const LeafTree tree = BuildLeafTree(cells.grid(), 0.0f);
  EXPECT_EQ(LeafOriginsInFileOrder(tree), (std::vector<Coord>{{0, 0, -8}, {0, 0, 0}, {0, 0, 8}}));
  EXPECT_EQ(tree.activeVoxelCount, 8 * 8 * 16);
  int64_t bits = 0;
  for (const auto& leaf : tree.leaves)
    for (uint64_t word : leaf.valueMask) bits += std::popcount(word);
  EXPECT_EQ(bits, tree.activeVoxelCount);
}
