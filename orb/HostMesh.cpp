#include "orb/HostMesh.h"

#include <algorithm>

#include "host/sdk/Mesh.h"

namespace orb {

void copyToHostMesh(const OrbMeshBuffers& in, Mesh& mesh) {
  const int verts = in.vertexCount();
  const int faces = static_cast<int>(in.triangles.size());
  // Same topology as last time: faces, texture and colour faces stand.
  if (in.keepsTopology() && mesh.getNumVerts() == verts && mesh.getNumFaces() == faces &&
      mesh.getNumTVerts() == 3 * faces && mesh.getNumVertCol() == verts) {
    for (int v = 0; v < verts; ++v) {
      const Vec& p = in.positions[v];
      mesh.verts[v] = Point3(p.x, p.y, p.z);
      const float g = in.shades[v];
      mesh.vertCol[v] = Point3(g, g, g);
    }
    return;
  }
  mesh.setNumVerts(verts);
  mesh.setNumFaces(faces);
  mesh.setNumTVerts(3 * faces);
  mesh.setNumTVFaces(faces);
  mesh.setNumVertCol(verts);
  mesh.setNumVCFaces(faces);
  for (int v = 0; v < verts; ++v) {
    const Vec& p = in.positions[v];
    mesh.verts[v] = Point3(p.x, p.y, p.z);
    const float g = in.shades[v];
    mesh.vertCol[v] = Point3(g, g, g);
  }
  for (int f = 0; f < faces; ++f) {
    const Triangle& t = in.triangles[f];
    Face& face = mesh.faces[f];
    face.setVerts(t.v[0], t.v[1], t.v[2]);
    face.setEdgeVisFlags(1, 1, 1);
    face.setSmGroup(static_cast<DWORD>(t.smoothing));
    face.setMatID(static_cast<MtlID>(t.material));
    float u[3];
    for (int k = 0; k < 3; ++k) u[k] = in.uvs[t.v[k]].u;
    if (t.material == kShellMaterial || t.material == kHazeMaterial) {
      const auto [lo, hi] = std::minmax({u[0], u[1], u[2]});
      if (hi - lo > 0.5f)
        for (float& x : u)
          if (x < 0.5f) x += 1.f;
    }
    for (int k = 0; k < 3; ++k) mesh.tVerts[3 * f + k] = Point3(u[k], in.uvs[t.v[k]].v, 0.f);
    mesh.tvFace[f].setTVerts(3 * f, 3 * f + 1, 3 * f + 2);
    mesh.vcFace[f].setTVerts(t.v[0], t.v[1], t.v[2]);
  }
}

}  // namespace orb
