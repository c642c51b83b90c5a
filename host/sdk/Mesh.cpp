#include "host/sdk/Mesh.h"

void Face::setEdgeVisFlags(int va, int vb, int vc) {
  flags = (flags & ~EDGE_ALL) | (va ? EDGE_A : 0) | (vb ? EDGE_B : 0) | (vc ? EDGE_C : 0);
}

namespace {
template <class T>
BOOL resize(std::vector<T>& v, int n, BOOL keep) {
  if (n < 0) return FALSE;
  if (!keep) v.clear();
  v.resize(static_cast<std::size_t>(n));
  return TRUE;
}
}  // namespace

BOOL Mesh::setNumVerts(int n, BOOL keep) { normalsValid_ = false; return resize(verts, n, keep); }
BOOL Mesh::setNumFaces(int n, BOOL keep) { normalsValid_ = false; return resize(faces, n, keep); }
BOOL Mesh::setNumTVerts(int n, BOOL keep) { return resize(tVerts, n, keep); }
BOOL Mesh::setNumTVFaces(int n, BOOL keep) { return resize(tvFace, n, keep); }
BOOL Mesh::setNumVertCol(int n, BOOL keep) { return resize(vertCol, n, keep); }
BOOL Mesh::setNumVCFaces(int n, BOOL keep) { return resize(vcFace, n, keep); }

void Mesh::FreeAll() {
  verts.clear(); faces.clear(); tVerts.clear(); tvFace.clear(); vertCol.clear(); vcFace.clear();
  faceNormals_.clear(); vertNormals_.clear();
  normalsValid_ = false;
}

void Mesh::InvalidateGeomCache() { ++geomInvalidations_; normalsValid_ = false; }
void Mesh::InvalidateTopologyCache() { ++topoInvalidations_; normalsValid_ = false; }

void Mesh::buildNormals() {
  faceNormals_.assign(faces.size(), Point3());
  vertNormals_.assign(verts.size(), Point3());
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const Face& face = faces[f];
    if (face.v[0] >= verts.size() || face.v[1] >= verts.size() || face.v[2] >= verts.size()) continue;
    const Point3 &a = verts[face.v[0]], &b = verts[face.v[1]], &c = verts[face.v[2]];
    const Point3 area = (b - a) % (c - a);  // length is twice the face area: area-weighted sum
    faceNormals_[f] = area.Normalize();
    for (DWORD v : face.v) vertNormals_[v] += area;
  }
  for (Point3& n : vertNormals_) n = n.Normalize();
  normalsValid_ = true;
}
