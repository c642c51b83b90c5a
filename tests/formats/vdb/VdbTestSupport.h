#pragma once
// Dense test grids, scratch files and raw file bytes for the volume tests.

#include "formats/vdb/DensityVdb.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vdbtest {

// A dense grid that owns its cells; indices are cell indices, not voxel indices.
class DenseCells {
 public:
  DenseCells(int32_t nx, int32_t ny, int32_t nz, int32_t ox = 0, int32_t oy = 0, int32_t oz = 0)
      : values_(static_cast<size_t>(nx) * ny * nz, 0.0f), grid_{nullptr, nx, ny, nz, ox, oy, oz} {
    grid_.values = values_.data();
  }
  float& operator()(int32_t i, int32_t j, int32_t k) {
    return values_[static_cast<size_t>(i) + (static_cast<size_t>(j) + static_cast<size_t>(k) * grid_.ny) * grid_.nx];
  }
  float at(int32_t i, int32_t j, int32_t k) const {
    return values_[static_cast<size_t>(i) + (static_cast<size_t>(j) + static_cast<size_t>(k) * grid_.ny) * grid_.nx];
  }
  const formats::DenseGrid& grid() const { return grid_; }

 private:
  std::vector<float> values_;
  formats::DenseGrid grid_;
};

// A fresh file name in the suite's scratch folder; every test uses its own
// names, so runs in parallel do not meet.
inline std::string ScratchPath(const std::string& name) {
  const auto dir = std::filesystem::path(testing::TempDir()) / "orb_vdb_tests";
  std::filesystem::create_directories(dir);
  const auto path = dir / name;
  std::filesystem::remove(path);
  return path.string();
}

inline std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes with the exporter's grid name and fails the test on any error.
inline size_t WriteOrFail(const std::string& path, const DenseCells& cells, double voxelSize,
                          float cutoff, const std::string& gridName = "density") {
  std::string message;
  size_t leaves = 0;
  EXPECT_TRUE(formats::WriteDensityVdb(path, gridName, cells.grid(), voxelSize, cutoff, message, leaves))
      << message;
  return leaves;
}

}  // namespace vdbtest
