#include "orb/VeilSources.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/NodeTriMesh.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "orb/OrbParams.h"

namespace orb {

namespace {

std::uint64_t floatBits(float f) { return std::bit_cast<std::uint32_t>(f); }

// Unfilled cells copy their first filled neighbour (row - 1, row + 1,
// column - 1, column + 1) as it stood before the pass, until a pass adds nothing.
void fillHoles(const ClothGrid& grid, int veil, std::vector<Vec>& positions, std::vector<std::uint8_t>& filled) {
  const int rows = grid.along + 1, cols = grid.across + 1;
  std::vector<std::uint8_t> before;
  for (int pass = 0; pass < grid.along + grid.across; ++pass) {
    before = filled;
    bool any = false;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        const int cell = r * cols + c;
        if (before[cell]) continue;
        const int neighbours[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
        for (const auto& n : neighbours) {
          if (n[0] < 0 || n[0] >= rows || n[1] < 0 || n[1] >= cols) continue;
          const int from = n[0] * cols + n[1];
          if (!before[from]) continue;
          positions[grid.index(veil, r, c)] = positions[grid.index(veil, n[0], n[1])];
          filled[cell] = 1;
          any = true;
          break;
        }
      }
    }
    if (!any) break;
  }
}

}  // namespace

bool rasteriseSource(const Mesh& mesh, const std::vector<Vec>& corners, const ClothGrid& grid, int veil,
                     std::vector<Vec>& positions, std::uint64_t& hash) {
  const int L = grid.along, W = grid.across;
  std::vector<std::uint8_t> filled(static_cast<std::size_t>(grid.veilSize()), 0);
  hash = hashCombine(hash, static_cast<std::uint64_t>(static_cast<std::int64_t>(mesh.getNumFaces())));
  for (int f = 0; f < mesh.getNumFaces(); ++f) {
    const Vec* p = &corners[3 * static_cast<std::size_t>(f)];
    hash = hashCombine(hash, floatBits(p[0].x));
    hash = hashCombine(hash, floatBits(p[1].y));
    hash = hashCombine(hash, floatBits(p[2].z));
    float u[3], v[3];
    for (int k = 0; k < 3; ++k) {
      const UVVert& t = mesh.tVerts[mesh.tvFace[f].t[k]];
      u[k] = t.x;
      v[k] = t.y;
    }
    const float area2 = (u[1] - u[0]) * (v[2] - v[0]) - (u[2] - u[0]) * (v[1] - v[0]);
    if (std::fabs(area2) < 1e-12f) continue;
    const auto [uMin, uMax] = std::minmax({u[0], u[1], u[2]});
    const auto [vMin, vMax] = std::minmax({v[0], v[1], v[2]});
    const int r0 = std::max(0, static_cast<int>(std::floor(L * uMin)));
    const int r1 = std::min(L, static_cast<int>(std::ceil(L * uMax)));
    const int c0 = std::max(0, static_cast<int>(std::floor(W * vMin)));
    const int c1 = std::min(W, static_cast<int>(std::ceil(W * vMax)));
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        const float x = static_cast<float>(r) / L, y = static_cast<float>(c) / W;
        const float w1 = ((x - u[0]) * (v[2] - v[0]) - (u[2] - u[0]) * (y - v[0])) / area2;
        const float w2 = ((u[1] - u[0]) * (y - v[0]) - (x - u[0]) * (v[1] - v[0])) / area2;
        const float w0 = 1.f - w1 - w2;
        if (w0 < -0.0001f || w1 < -0.0001f || w2 < -0.0001f) continue;
        positions[grid.index(veil, r, c)] = p[0] * w0 + p[1] * w1 + p[2] * w2;
        filled[r * (W + 1) + c] = 1;
      }
    }
  }
  if (std::find(filled.begin(), filled.end(), 1) == filled.end()) return false;
  fillHoles(grid, veil, positions, filled);
  return true;
}

void sampleVeilSources(IParamBlock2& block, TimeValue t, Params& p, const Matrix3& orbToWorld, VeilSourceSet& out) {
  const int entries = block.Count(param::veilSources);
  if (entries > p.veilCount) p.veilCount = std::max(p.veilCount, std::min(entries, 4));
  const ClothGrid grid = clothGridFor(p);
  const int sampled = std::min(grid.veils, entries);

  VeilSourceSet set;
  set.positions.assign(static_cast<std::size_t>(grid.particles()), Vec{0.f, 0.f, 0.f});
  set.hasSource.assign(static_cast<std::size_t>(grid.veils), 0);
  std::uint64_t h = 0xABCDEF;
  const Matrix3 worldToOrb = Inverse(orbToWorld);
  const float scale = 50.f / std::max(p.radius, 0.001f);
  bool any = false;

  for (int n = 0; n < sampled; ++n) {
    INode* node = block.GetINode(param::veilSources, t, n);
    if (!node) continue;
    h = hashCombine(h, static_cast<std::uint64_t>(n + 1));
    const common::NodeTriMesh converted(*node, t);
    if (!converted.mesh()) continue;
    const Mesh& mesh = *converted.mesh();
    const bool hasUVs = mesh.getNumTVerts() > 0 && mesh.tvFace.size() == mesh.faces.size();
    if (!hasUVs) continue;
    // Every corner in normalised orb space; faces with a bad index are dropped.
    const Matrix3 toOrb = node->GetObjectTM(t) * worldToOrb;
    Mesh usable;
    std::vector<Vec> corners;
    for (int f = 0; f < mesh.getNumFaces(); ++f) {
      bool ok = true;
      for (int k = 0; k < 3; ++k)
        ok = ok && mesh.faces[f].v[k] < mesh.verts.size() && mesh.tvFace[f].t[k] < mesh.tVerts.size();
      if (!ok) continue;
      usable.faces.push_back(mesh.faces[f]);
      usable.tvFace.push_back(mesh.tvFace[f]);
      for (int k = 0; k < 3; ++k) {
        const Point3 q = mesh.verts[mesh.faces[f].v[k]] * toOrb * scale;
        corners.push_back({q.x, q.y, q.z});
      }
    }
    usable.tVerts = mesh.tVerts;
    if (rasteriseSource(usable, corners, grid, n, set.positions, h)) {
      set.hasSource[n] = 1;
      any = true;
    }
  }
  if (any) {
    set.hash = h;
    out = std::move(set);
  } else {
    out.clear();
  }
}

}  // namespace orb
