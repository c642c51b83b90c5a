#include "forces/Warp.h"

#include <algorithm>

#include "host/sdk/Node.h"

WarpMod::WarpMod(INode* node, WSMObject* obj) {
  ReplaceReference(0, obj);
  ReplaceReference(1, node);
}

WarpMod::~WarpMod() {
  ReplaceReference(0, nullptr, FALSE);
  ReplaceReference(1, nullptr, FALSE);
}

namespace {
class KeepPoints : public Deformer {
 public:
  Point3 Map(int, Point3 p) override { return p; }
};
}  // namespace

Deformer& WarpMod::GetDeformer(TimeValue, TriObject&, Matrix3&, Matrix3&) {
  static KeepPoints deformer;
  return deformer;
}

namespace forces {

namespace {
constexpr int kOctahedronFaces[8][3] = {{0, 2, 4}, {0, 4, 3}, {0, 3, 5}, {0, 5, 2},
                                        {1, 4, 2}, {1, 3, 4}, {1, 5, 3}, {1, 2, 5}};
constexpr int kMarkerFaces[4][3] = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {2, 3, 0}};

void setFace(Mesh& mesh, int f, int base, const int (&v)[3]) {
  mesh.faces[f].setVerts(base + v[0], base + v[1], base + v[2]);
  mesh.faces[f].setSmGroup(0);
  mesh.faces[f].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
}
}  // namespace

void buildWarpIcon(Mesh& mesh, float size, const orb::Vec* axes, int axisCount) {
  const float c = std::max(size, 0.01f);
  const int markers = axes ? std::clamp(axisCount, 0, 64) : 0;
  mesh.setNumVerts(6 + 4 * markers);
  mesh.setNumFaces(8 + 4 * markers);
  const float o = 0.f;
  const Point3 octahedron[6] = {{o, o, c}, {o, o, -c}, {c, o, o}, {-c, o, o}, {o, c, o}, {o, -c, o}};
  for (int i = 0; i < 6; ++i) mesh.verts[i] = octahedron[i];
  for (int f = 0; f < 8; ++f) setFace(mesh, f, 0, kOctahedronFaces[f]);
  for (int m = 0; m < markers; ++m) {
    const Point3 p(c * axes[m].x, c * axes[m].y, c * axes[m].z);
    const int base = 6 + 4 * m;
    mesh.verts[base] = p + Point3(0.06f * c, 0.f, 0.f);
    mesh.verts[base + 1] = p + Point3(-0.03f * c, 0.0522f * c, 0.f);
    mesh.verts[base + 2] = p + Point3(-0.03f * c, -0.0522f * c, 0.f);
    mesh.verts[base + 3] = p + Point3(0.f, 0.f, 0.084f * c);
    for (int f = 0; f < 4; ++f) setFace(mesh, 8 + 4 * m + f, base, kMarkerFaces[f]);
  }
  mesh.InvalidateGeomCache();
  mesh.InvalidateTopologyCache();
}

}  // namespace forces
