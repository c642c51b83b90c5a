#pragma once
// User meshes that replace the veils' rest shapes: each source node's
// triangles are rasterised in texture space onto its veil's cloth grid.
#include <cstdint>
#include <vector>

#include "host/sdk/Time.h"
#include "orb/ClothGrid.h"
#include "util/Hash.h"
#include "util/Vec.h"

class INode;
class IParamBlock2;
class Mesh;
class Matrix3;

namespace orb {

using util::hashCombine;

struct VeilSourceSet {
  std::vector<Vec> positions;        // cloth-grid layout, all veils
  std::vector<std::uint8_t> hasSource;  // one per veil
  std::uint64_t hash = 0;             // 0 when no veil has a source

  bool present() const { return !hasSource.empty(); }
  void clear() {
    positions.clear();
    hasSource.clear();
    hash = 0;
  }
};

// Rasterises one source mesh (corners already in normalised orb space) onto
// veil `veil` of the grid, then fills holes. False when nothing was filled.
bool rasteriseSource(const Mesh& mesh, const std::vector<Vec>& corners, const ClothGrid& grid, int veil,
                     std::vector<Vec>& positions, std::uint64_t& hash);

// Samples the "veilSources" table at t. Raises p.veilCount to the number of
// entries (at most 4) when the table has more. `orbToWorld` places the orb;
// the identity when it has no node.
void sampleVeilSources(IParamBlock2& block, TimeValue t, Params& p, const Matrix3& orbToWorld, VeilSourceSet& out);

}  // namespace orb
