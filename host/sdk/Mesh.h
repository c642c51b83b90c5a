#pragma once
// The host's triangle mesh: vertices, faces with smoothing group, material id
// and edge visibility, texture vertices and faces, vertex colours.
#include <vector>

#include "host/sdk/Point3.h"
#include "host/sdk/Types.h"

using UVVert = Point3;
using VertColor = Point3;

constexpr DWORD EDGE_A = 1, EDGE_B = 2, EDGE_C = 4, EDGE_ALL = 7;
constexpr int EDGE_INVIS = 0, EDGE_VIS = 1;

class Face {
 public:
  DWORD v[3] = {0, 0, 0};
  DWORD smGroup = 0;
  DWORD flags = 0;  // edge visibility in bits 0-2, material id in bits 16-31

  void setVerts(int a, int b, int c) { v[0] = a; v[1] = b; v[2] = c; }
  void setSmGroup(DWORD g) { smGroup = g; }
  DWORD getSmGroup() const { return smGroup; }
  void setMatID(MtlID id) { flags = (flags & 0xFFFFu) | (static_cast<DWORD>(id) << 16); }
  MtlID getMatID() const { return static_cast<MtlID>(flags >> 16); }
  void setEdgeVisFlags(int va, int vb, int vc);
  int getEdgeVis(int edge) const { return (flags >> edge) & 1; }
  DWORD getVert(int i) const { return v[i]; }
};

class TVFace {
 public:
  DWORD t[3] = {0, 0, 0};
  void setTVerts(int a, int b, int c) { t[0] = a; t[1] = b; t[2] = c; }
  DWORD getTVert(int i) const { return t[i]; }
};

class Mesh {
 public:
  std::vector<Point3> verts;
  std::vector<Face> faces;
  std::vector<UVVert> tVerts;
  std::vector<TVFace> tvFace;
  std::vector<VertColor> vertCol;
  std::vector<TVFace> vcFace;

  int getNumVerts() const { return static_cast<int>(verts.size()); }
  int getNumFaces() const { return static_cast<int>(faces.size()); }
  int getNumTVerts() const { return static_cast<int>(tVerts.size()); }
  int getNumVertCol() const { return static_cast<int>(vertCol.size()); }
  // Resizing keeps the leading elements when keep is true, else clears them.
  BOOL setNumVerts(int n, BOOL keep = FALSE);
  BOOL setNumFaces(int n, BOOL keep = FALSE);
  BOOL setNumTVerts(int n, BOOL keep = FALSE);
  BOOL setNumTVFaces(int n, BOOL keep = FALSE);
  BOOL setNumVertCol(int n, BOOL keep = FALSE);
  BOOL setNumVCFaces(int n, BOOL keep = FALSE);
  void setVert(int i, const Point3& p) { verts[i] = p; }
  Point3& getVert(int i) { return verts[i]; }
  const Point3& getVert(int i) const { return verts[i]; }
  void setTVert(int i, const UVVert& uv) { tVerts[i] = uv; }
  void FreeAll();

  // Derived data: face normals and per-vertex normals, averaged over the
  // faces that share a vertex and a smoothing group.
  void InvalidateGeomCache();
  void InvalidateTopologyCache();
  void buildNormals();
  const Point3& getFaceNormal(int face) const { return faceNormals_[face]; }
  const Point3& getNormal(int vert) const { return vertNormals_[vert]; }
  bool normalsBuilt() const { return normalsValid_; }
  int geomCacheInvalidations() const { return geomInvalidations_; }
  int topologyCacheInvalidations() const { return topoInvalidations_; }

 private:
  std::vector<Point3> faceNormals_;
  std::vector<Point3> vertNormals_;
  bool normalsValid_ = false;
  int geomInvalidations_ = 0;
  int topoInvalidations_ = 0;
};
