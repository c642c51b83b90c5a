#include "formats/vdb/DensityVdb.h"

#include "formats/vdb/VdbFileLayout.h"
#include "formats/vdb/VdbIdentifier.h"
#include "formats/vdb/VdbLeafTree.h"
#include "util/Hash.h"
#include "util/Utf8Path.h"

#include <bit>
#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <vector>

namespace formats {
namespace {

namespace fs = std::filesystem;

constexpr size_t kStreamBufferBytes = size_t{1} << 20;

// Sizes the writer can walk safely: every voxel index fits in int32 and the
// value array is addressable.
bool IsWritable(const DenseGrid& grid, double voxelSize) {
  if (!std::isfinite(voxelSize) || !(voxelSize > 0.0)) return false;
  const int32_t sizes[3] = {grid.nx, grid.ny, grid.nz};
  const int32_t origins[3] = {grid.ox, grid.oy, grid.oz};
  int64_t cells = 1;
  for (int axis = 0; axis < 3; ++axis) {
    if (sizes[axis] < 0) return false;
    if (int64_t{origins[axis]} + sizes[axis] - 1 > std::numeric_limits<int32_t>::max()) return false;
    if (sizes[axis] > 0 &&
        cells > std::numeric_limits<int64_t>::max() / int64_t{sizeof(float)} / sizes[axis])
      return false;
    cells *= sizes[axis];
  }
  return cells == 0 || grid.values != nullptr;
}

// A hash of everything the file holds: the grid's name, placement, voxel
// size, cutoff and cell values.
uint64_t ContentSeed(const std::string& gridName, const DenseGrid& grid, double voxelSize, float cutoff) {
  uint64_t h = 0;
  for (const char c : gridName) h = util::hashCombine(h, static_cast<unsigned char>(c));
  for (const int32_t v : {grid.nx, grid.ny, grid.nz, grid.ox, grid.oy, grid.oz})
    h = util::hashCombine(h, static_cast<uint32_t>(v));
  h = util::hashCombine(h, std::bit_cast<uint64_t>(voxelSize));
  h = util::hashCombine(h, std::bit_cast<uint32_t>(cutoff));
  const std::size_t cells = static_cast<std::size_t>(grid.nx) * grid.ny * grid.nz;
  for (std::size_t i = 0; i < cells; ++i) h = util::hashCombine(h, std::bit_cast<uint32_t>(grid.values[i]));
  return h;
}

// A broken volume must not pass for a good one. Only regular files are
// removed: a device or pipe the caller named stays where it is.
void DiscardPartialFile(const fs::path& path) {
  std::error_code ignored;
  if (fs::is_regular_file(path, ignored)) fs::remove(path, ignored);
}

}  // namespace

bool WriteDensityVdb(const std::string& path, const std::string& gridName, const DenseGrid& grid,
                     double voxelSize, float cutoff, std::string& message, std::size_t& leafCount) {
  leafCount = 0;
  if (!IsWritable(grid, voxelSize)) {
    message = "invalid density grid for " + path;
    return false;
  }

  vdb::LeafTree tree;
  std::string identifier;
  fs::path filePath;
  // Leaves go out in pieces of a few kilobytes; a large stream buffer keeps
  // the system calls few.
  std::vector<char> streamBuffer;
  try {
    tree = vdb::BuildLeafTree(grid, cutoff);
    leafCount = tree.leaves.size();
    identifier = vdb::IdentifierFor(ContentSeed(gridName, grid, voxelSize, cutoff));
    filePath = util::utf8Path(path);
    streamBuffer.resize(kStreamBufferBytes);
  } catch (const std::bad_alloc&) {
    message = "not enough system memory to write " + path;
    return false;
  } catch (const std::exception&) {
    message = "write error " + path;
    return false;
  }

  std::ofstream out;
  out.rdbuf()->pubsetbuf(streamBuffer.data(), static_cast<std::streamsize>(streamBuffer.size()));
  out.open(filePath, std::ios::binary | std::ios::trunc);
  if (!out) {
    message = "cannot write " + path;
    return false;
  }
  bool written = false;
  try {
    vdb::WriteVdbFile(out, tree, gridName, voxelSize, identifier);
    written = out.good();
  } catch (const std::exception&) {
    // An allocation failing mid-file leaves it as broken as a stream error.
  }
  out.close();
  if (!written || out.fail()) {
    DiscardPartialFile(filePath);
    message = "write error " + path;
    return false;
  }
  return true;
}

}  // namespace formats
