// Our volumes read back through the OpenVDB library, an independent reader:
// it must see exactly the cells above the cut-off, where we put them.

#include "VdbTestSupport.h"

#include <openvdb/openvdb.h>

#include <random>

using vdbtest::DenseCells;
using vdbtest::ScratchPath;
using vdbtest::WriteOrFail;

namespace {

class OpenVdbReadBack : public testing::Test {
 protected:
  static void SetUpTestSuite() { openvdb::initialize(); }
};

struct Expected {
  int64_t activeVoxels = 0;
  openvdb::Coord min{0, 0, 0}, max{0, 0, 0};
};

// What the cells above the cut-off add up to, computed independently of the writer.
Expected ExpectedFrom(const DenseCells& cells, float cutoff) {
  const auto& g = cells.grid();
  Expected e;
  e.min = openvdb::Coord(INT32_MAX);
  e.max = openvdb::Coord(INT32_MIN);
  for (int k = 0; k < g.nz; ++k)
    for (int j = 0; j < g.ny; ++j)
      for (int i = 0; i < g.nx; ++i)
        if (cells.at(i, j, k) > cutoff) {
          ++e.activeVoxels;
          const openvdb::Coord c(g.ox + i, g.oy + j, g.oz + k);
          e.min = openvdb::Coord::minComponent(e.min, c);
          e.max = openvdb::Coord::maxComponent(e.max, c);
        }
  if (e.activeVoxels == 0) e.min = e.max = openvdb::Coord(0);
  return e;
}

// Opens the file with OpenVDB and checks the header, grid metadata, transform
// and every value of the dense grid plus a one-voxel margin around it.
void ExpectReadBack(const std::string& path, const DenseCells& cells, double voxelSize, float cutoff,
                    const std::string& gridName = "density") {
  const Expected expected = ExpectedFrom(cells, cutoff);
  openvdb::io::File file(path);
  ASSERT_TRUE(file.open());
  EXPECT_EQ(file.fileVersion(), 224u);
  EXPECT_EQ(file.libraryVersion().first, 9u);
  EXPECT_EQ(file.libraryVersion().second, 1u);
  EXPECT_EQ(file.getUniqueTag().size(), 36u);

  const openvdb::GridPtrVecPtr described = file.readAllGridMetadata();
  ASSERT_EQ(described->size(), 1u);
  const openvdb::GridBase& meta = *described->front();
  EXPECT_EQ(meta.metaValue<openvdb::Vec3i>("file_bbox_min"), openvdb::Vec3i(expected.min.asVec3i()));
  EXPECT_EQ(meta.metaValue<openvdb::Vec3i>("file_bbox_max"), openvdb::Vec3i(expected.max.asVec3i()));
  EXPECT_EQ(meta.metaValue<int64_t>("file_voxel_count"), expected.activeVoxels);
  EXPECT_EQ(meta.metaValue<std::string>("file_compression"), "none");

  const auto grid = openvdb::gridPtrCast<openvdb::FloatGrid>(file.readGrid(gridName));
  file.close();
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->getName(), gridName);
  EXPECT_EQ(grid->getGridClass(), openvdb::GRID_FOG_VOLUME);
  EXPECT_EQ(grid->transform().baseMap()->type(), "UniformScaleMap");
  EXPECT_EQ(grid->voxelSize(), openvdb::Vec3d(voxelSize));
  EXPECT_EQ(grid->transform().indexToWorld(openvdb::Coord(2, -3, 4)),
            openvdb::Vec3d(2 * voxelSize, -3 * voxelSize, 4 * voxelSize));
  EXPECT_EQ(grid->background(), 0.0f);
  EXPECT_EQ(grid->tree().activeTileCount(), 0u);
  EXPECT_EQ(static_cast<int64_t>(grid->activeVoxelCount()), expected.activeVoxels);
  if (expected.activeVoxels > 0) {
    const openvdb::CoordBBox box = grid->evalActiveVoxelBoundingBox();
    EXPECT_EQ(box.min(), expected.min);
    EXPECT_EQ(box.max(), expected.max);
  } else {
    EXPECT_EQ(grid->tree().leafCount(), 0u);
  }

  const auto& g = cells.grid();
  const auto values = grid->getConstAccessor();
  int64_t mismatches = 0;
  for (int k = -1; k <= g.nz; ++k)
    for (int j = -1; j <= g.ny; ++j)
      for (int i = -1; i <= g.nx; ++i) {
        const bool inside = i >= 0 && j >= 0 && k >= 0 && i < g.nx && j < g.ny && k < g.nz;
        const float cell = inside ? cells.at(i, j, k) : 0.0f;
        const bool active = cell > cutoff;
        const openvdb::Coord c(g.ox + i, g.oy + j, g.oz + k);
        if (values.isValueOn(c) != active || values.getValue(c) != (active ? cell : 0.0f)) {
          if (++mismatches <= 5)
            ADD_FAILURE() << "voxel " << c << ": read " << values.getValue(c) << (values.isValueOn(c) ? " on" : " off")
                          << ", cell " << cell;
        }
      }
  EXPECT_EQ(mismatches, 0);
}

// Sparse positive values with the rest zero, as a splatted frame looks.
void Scatter(DenseCells& cells, double fraction, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const auto& g = cells.grid();
  for (int k = 0; k < g.nz; ++k)
    for (int j = 0; j < g.ny; ++j)
      for (int i = 0; i < g.nx; ++i)
        if (unit(random) < fraction) cells(i, j, k) = unit(random) * 10.0f;
}

}  // namespace

TEST_F(OpenVdbReadBack, ExporterLikeFrameWithACellAtTheCutoff) {
  DenseCells cells(32, 32, 32, -16, -16, -16);
  Scatter(cells, 0.1, 7);
  cells(0, 0, 0) = 10.0f;                   // the peak, at index (-16, -16, -16)
  const float cutoff = 10.0f * 0.0001f;
  cells(5, 6, 7) = cutoff;                  // equal to the cut-off: not stored
  cells(6, 6, 7) = cutoff * 0.5f;           // below: not stored
  const std::string path = ScratchPath("frame.vdb");
  WriteOrFail(path, cells, 2.0 * 50.0 / 32, cutoff);
  ExpectReadBack(path, cells, 2.0 * 50.0 / 32, cutoff);
}

TEST_F(OpenVdbReadBack, EmptyFrameOpensWithNothingActive) {
  DenseCells cells(32, 32, 32, -16, -16, -16);
  const std::string path = ScratchPath("empty_frame.vdb");
  EXPECT_EQ(WriteOrFail(path, cells, 3.125, 0.0f), 0u);
  ExpectReadBack(path, cells, 3.125, 0.0f);
}

TEST_F(OpenVdbReadBack, NonCubicGridAcrossRootAndLevel1Boundaries) {
  // Crosses x = 4096, y = -128 and z = -4096: eight root children and many
  // level-1 nodes, with negative and positive indices on every axis.
  DenseCells cells(40, 20, 30, 4080, -140, -4110);
  Scatter(cells, 0.3, 11);
  const std::string path = ScratchPath("boundaries.vdb");
  WriteOrFail(path, cells, 0.01, 1.0f);
  ExpectReadBack(path, cells, 0.01, 1.0f);
}

TEST_F(OpenVdbReadBack, FullyActiveLeavesKeepEveryValue) {
  DenseCells cells(24, 24, 24, -12, -12, -12);
  for (int k = 0; k < 24; ++k)
    for (int j = 0; j < 24; ++j)
      for (int i = 0; i < 24; ++i) cells(i, j, k) = 1.0f + static_cast<float>(i + 24 * (j + 24 * k));
  const std::string path = ScratchPath("full.vdb");
  EXPECT_EQ(WriteOrFail(path, cells, 1.0, 0.0f), 64u);  // 4^3 leaves: -16, -8, 0, 8 per axis
  ExpectReadBack(path, cells, 1.0, 0.0f);
}

TEST_F(OpenVdbReadBack, Utf8FileAndGridNames) {
  DenseCells cells(16, 16, 16, -8, -8, -8);
  Scatter(cells, 0.2, 3);
  const std::string path = ScratchPath("dichte \xc3\xbc \xe5\xaf\x86\xe5\xba\xa6.vdb");
  const std::string name = "Dichte-\xc3\xbc";
  WriteOrFail(path, cells, 0.5, 0.0f, name);
  ExpectReadBack(path, cells, 0.5, 0.0f, name);
}
