#include "formats/vdb/VdbFileLayout.h"

#include "formats/vdb/VdbIdentifier.h"

#include <bit>
#include <vector>

namespace formats::vdb {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the volume file is little-endian and is written straight from memory");

constexpr int64_t kMagic = 0x56444220;
constexpr uint32_t kFileVersion = 224;
constexpr uint32_t kLibraryMajor = 9;
constexpr uint32_t kLibraryMinor = 1;
// Per-node value coding: no mask stored, all values follow uncompressed.
constexpr char kAllValuesFollow = 6;

template <typename T>
void Put(std::ostream& out, const T& value) {
  out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutString(std::ostream& out, const std::string& text) {
  Put(out, static_cast<int32_t>(text.size()));
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void PutZeros(std::ostream& out, size_t byteCount) {
  static const std::vector<char> zeros(size_t{kLevel2ChildCount} * sizeof(float), 0);
  out.write(zeros.data(), static_cast<std::streamsize>(byteCount));
}

void PutStringMeta(std::ostream& out, const std::string& name, const std::string& value) {
  PutString(out, name);
  PutString(out, "string");
  PutString(out, value);
}

void PutCoordMeta(std::ostream& out, const std::string& name, const Coord& value) {
  PutString(out, name);
  PutString(out, "vec3i");
  Put(out, int32_t{sizeof value});
  Put(out, value);
}

void PutInt64Meta(std::ostream& out, const std::string& name, int64_t value) {
  PutString(out, name);
  PutString(out, "int64");
  Put(out, int32_t{sizeof value});
  Put(out, value);
}

void PutTriple(std::ostream& out, double value) {
  for (int axis = 0; axis < 3; ++axis) Put(out, value);
}

void PutHeader(std::ostream& out, const std::string& identifier) {
  Put(out, kMagic);
  Put(out, kFileVersion);
  Put(out, kLibraryMajor);
  Put(out, kLibraryMinor);
  Put(out, char{1});  // grid offsets follow in the descriptor
  out.write(identifier.data(), kIdentifierLength);
  Put(out, int32_t{0});  // file metadata entries
  Put(out, int32_t{1});  // grids
}

void PutMetadata(std::ostream& out, const LeafTree& tree, const std::string& gridName) {
  Put(out, int32_t{7});
  PutStringMeta(out, "class", "fog volume");
  PutCoordMeta(out, "file_bbox_max", tree.bboxMax);
  PutCoordMeta(out, "file_bbox_min", tree.bboxMin);
  PutStringMeta(out, "file_compression", "none");
  PutInt64Meta(out, "file_mem_bytes", static_cast<int64_t>(tree.leaves.size()) * kLeafMemBytes);
  PutInt64Meta(out, "file_voxel_count", tree.activeVoxelCount);
  PutStringMeta(out, "name", gridName);
}

// Index (0, 0, 0) is the object's origin, so the map is a pure scale.
void PutTransform(std::ostream& out, double voxelSize) {
  PutString(out, "UniformScaleMap");
  PutTriple(out, voxelSize);                            // scale
  PutTriple(out, voxelSize);                            // voxel size
  PutTriple(out, 1.0 / voxelSize);                      // inverse scale
  PutTriple(out, 1.0 / (voxelSize * voxelSize));        // inverse scale squared
  PutTriple(out, 0.5 / voxelSize);                      // inverse twice the scale
}

// Child mask bytes: the bit of offset n is bit n & 7 of byte n >> 3.
void SetChildBit(std::vector<uint8_t>& mask, int32_t offset) {
  const auto n = static_cast<size_t>(offset);
  mask[n >> 3] |= static_cast<uint8_t>(1u << (n & 7));
}

// Internal nodes hold no tiles: the value mask and every tile value are zero.
void PutInternalNode(std::ostream& out, const std::vector<uint8_t>& childMask) {
  out.write(reinterpret_cast<const char*>(childMask.data()),
            static_cast<std::streamsize>(childMask.size()));
  PutZeros(out, childMask.size());
  Put(out, kAllValuesFollow);
  PutZeros(out, childMask.size() * 8 * sizeof(float));
}

void PutTopology(std::ostream& out, const LeafTree& tree) {
  Put(out, int32_t{1});  // buffer count
  Put(out, 0.0f);        // background
  Put(out, int32_t{0});  // root tiles
  Put(out, static_cast<int32_t>(tree.rootChildren.size()));
  for (const NodeRun& child : tree.rootChildren) {
    Put(out, child.origin);
    std::vector<uint8_t> nodeMask(kLevel2ChildCount / 8, 0);
    for (uint32_t n = child.first; n < child.first + child.count; ++n)
      SetChildBit(nodeMask, Level2Offset(tree.level1Nodes[n].origin));
    PutInternalNode(out, nodeMask);

    for (uint32_t n = child.first; n < child.first + child.count; ++n) {
      const NodeRun& node = tree.level1Nodes[n];
      std::vector<uint8_t> leafMask(kLevel1ChildCount / 8, 0);
      for (uint32_t l = node.first; l < node.first + node.count; ++l)
        SetChildBit(leafMask, Level1Offset(tree.leaves[tree.leafOrder[l]].origin));
      PutInternalNode(out, leafMask);
      for (uint32_t l = node.first; l < node.first + node.count; ++l)
        Put(out, tree.leaves[tree.leafOrder[l]].valueMask);
    }
  }
}

void PutLeafBuffers(std::ostream& out, const LeafTree& tree) {
  for (uint32_t index : tree.leafOrder) {
    const Leaf& leaf = tree.leaves[index];
    Put(out, leaf.valueMask);
    Put(out, kAllValuesFollow);
    Put(out, leaf.values);
  }
}

int64_t Position(std::ostream& out) { return static_cast<int64_t>(out.tellp()); }

}  // namespace

void WriteVdbFile(std::ostream& out, const LeafTree& tree, const std::string& gridName,
                  double voxelSize, const std::string& identifier) {
  PutHeader(out, identifier);
  PutString(out, gridName);
  PutString(out, "Tree_float_5_4_3");
  PutString(out, "");  // no instance parent
  const int64_t placeholders = Position(out);
  PutZeros(out, 3 * sizeof(int64_t));

  const int64_t gridPosition = Position(out);
  Put(out, int32_t{0});  // no compression
  PutMetadata(out, tree, gridName);
  PutTransform(out, voxelSize);
  PutTopology(out, tree);
  const int64_t blockPosition = Position(out);
  PutLeafBuffers(out, tree);
  const int64_t endPosition = Position(out);

  out.seekp(placeholders);
  Put(out, gridPosition);
  Put(out, blockPosition);
  Put(out, endPosition);
  out.seekp(endPosition);
}

}  // namespace formats::vdb
