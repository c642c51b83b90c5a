#pragma once
// The orb's mesh as it is built: positions, triangles, one UV pair and one
// shade value per vertex. Between builds with the same layout (segment
// count, parts shown, veil grids) the triangles and UVs stay as they are and
// only positions and shades are written again.
#include <cstdint>
#include <vector>

#include "util/Vec.h"

namespace orb {

// Material ids and smoothing groups of the orb's parts. The ink object keeps
// the veil surfaces (ids 2 and 3) of an orb, so these are an interface.
enum OrbMaterial : std::int32_t { kShellMaterial = 0, kHazeMaterial = 1, kVeilFront = 2, kVeilBack = 3 };
enum OrbSmoothing : std::int32_t {
  kShellSmoothing = 1,
  kHazeSmoothing = 2,
  kFrontSmoothing = 4,
  kBackSmoothing = 8,
  kRimSmoothing = 12
};

struct Triangle {
  std::int32_t v[3];
  std::int32_t material;
  std::int32_t smoothing;
};

struct UV {
  float u, v;
};

class OrbMeshBuffers {
 public:
  std::vector<Vec> positions;
  std::vector<Triangle> triangles;
  std::vector<UV> uvs;
  std::vector<float> shades;

  // Starts a build of the given layout. Returns true when the previous build
  // had the same layout, so triangles and UVs are kept.
  bool begin(std::uint64_t layout);
  // Drops everything, so the next build starts afresh.
  void clear();
  bool keepsTopology() const { return keep_; }
  // The first of n vertices for the next part: appended on a fresh build,
  // the same indices again when the topology is kept.
  std::int32_t claimVertices(std::int32_t n);
  std::int32_t vertexCount() const { return static_cast<std::int32_t>(positions.size()); }
  void addTriangle(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t material, std::int32_t smoothing) {
    if (!keep_) triangles.push_back({{a, b, c}, material, smoothing});
  }

 private:
  std::uint64_t layout_ = 0;
  bool keep_ = false;
  std::int32_t cursor_ = 0;
};

}  // namespace orb
