#include "host/runtime/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace host {
namespace {

// One triangle corner: a vertex and the texture vertex it uses.
struct Corner {
  int v, t;
};

void addTriangle(Mesh& mesh, Corner a, Corner b, Corner c, DWORD smGroup, MtlID matId, bool edgeCAVisible = true) {
  Face face;
  face.setVerts(a.v, b.v, c.v);
  face.setSmGroup(smGroup);
  face.setMatID(matId);
  face.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, edgeCAVisible ? EDGE_VIS : EDGE_INVIS);
  mesh.faces.push_back(face);
  TVFace tv;
  tv.setTVerts(a.t, b.t, c.t);
  mesh.tvFace.push_back(tv);
}

// A quad given counter-clockwise as seen from outside, split along a-c; the
// diagonal stays hidden so the quad reads as one polygon.
void addQuad(Mesh& mesh, Corner a, Corner b, Corner c, Corner d, DWORD smGroup, MtlID matId) {
  addTriangle(mesh, a, b, c, smGroup, matId, false);
  addTriangle(mesh, c, d, a, smGroup, matId, false);
}

// The sides of a box in material-id order, each with axes u x v = outward
// normal so that increasing (u, v) runs counter-clockwise seen from outside.
struct BoxSide {
  Point3 normal, u, v;
};
constexpr BoxSide kBoxSides[6] = {
    {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},  // bottom
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},    // top
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},   // front
    {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},    // right
    {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},   // back
    {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},  // left
};

}  // namespace

Object* ProceduralGeometry::ConvertToType(TimeValue t, Class_ID obtype) {
  if (obtype != triObjectClassID) return nullptr;
  TriObject* tri = CreateNewTriObject();
  BuildGeometry(t, tri->mesh);
  return tri;
}

void BoxObject::BuildGeometry(TimeValue, Mesh& mesh) {
  // A negative size would turn the box inside out; the extent is what counts.
  const Point3 half = Point3(std::fabs(size.x), std::fabs(size.y), std::fabs(size.z)) * 0.5f;
  constexpr float kCornerUV[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  mesh.FreeAll();
  for (int side = 0; side < 6; ++side) {
    const BoxSide& s = kBoxSides[side];
    const int first = mesh.getNumVerts();
    for (const auto& uv : kCornerUV) {
      const Point3 unit = s.normal + s.u * (2 * uv[0] - 1) + s.v * (2 * uv[1] - 1);
      mesh.verts.push_back(unit * half);
      mesh.tVerts.push_back(UVVert(uv[0], uv[1], 0.f));
    }
    const auto corner = [first](int i) { return Corner{first + i, first + i}; };
    addQuad(mesh, corner(0), corner(1), corner(2), corner(3), 1u << side, static_cast<MtlID>(side));
  }
}

void SphereObject::BuildGeometry(TimeValue, Mesh& mesh) {
  const int around = std::max(4, segments);
  const int rings = std::max(2, around / 2);
  const float r = std::fabs(radius);
  constexpr double kPi = std::numbers::pi;
  mesh.FreeAll();

  // Vertices: south pole, the rings between the poles from south to north,
  // north pole.
  const int south = 0;
  mesh.verts.push_back(Point3(0.f, 0.f, -r));
  for (int ring = 1; ring < rings; ++ring) {
    const double polar = kPi * ring / rings;
    const double z = -r * std::cos(polar), rho = r * std::sin(polar);
    for (int j = 0; j < around; ++j) {
      const double azimuth = 2 * kPi * j / around;
      mesh.verts.push_back(Point3(rho * std::cos(azimuth), rho * std::sin(azimuth), z));
    }
  }
  const int north = mesh.getNumVerts();
  mesh.verts.push_back(Point3(0.f, 0.f, r));

  // Texture vertices: each ring has a seam column at u = 1 so u never wraps
  // inside a face; each pole has one per segment, centred over it.
  for (int ring = 1; ring < rings; ++ring)
    for (int j = 0; j <= around; ++j)
      mesh.tVerts.push_back(UVVert(float(j) / around, float(ring) / rings, 0.f));
  const int southUV = mesh.getNumTVerts();
  for (int j = 0; j < around; ++j) mesh.tVerts.push_back(UVVert((j + 0.5f) / around, 0.f, 0.f));
  const int northUV = mesh.getNumTVerts();
  for (int j = 0; j < around; ++j) mesh.tVerts.push_back(UVVert((j + 0.5f) / around, 1.f, 0.f));

  const auto onRing = [around](int ring, int j) {
    return Corner{1 + (ring - 1) * around + j % around, (ring - 1) * (around + 1) + j};
  };
  for (int j = 0; j < around; ++j) {
    addTriangle(mesh, {south, southUV + j}, onRing(1, j + 1), onRing(1, j), 1, 0);
    for (int ring = 1; ring + 1 < rings; ++ring)
      addQuad(mesh, onRing(ring, j), onRing(ring, j + 1), onRing(ring + 1, j + 1), onRing(ring + 1, j), 1, 0);
    addTriangle(mesh, onRing(rings - 1, j), onRing(rings - 1, j + 1), {north, northUV + j}, 1, 0);
  }
}

void PlaneObject::BuildGeometry(TimeValue, Mesh& mesh) {
  const float hx = std::fabs(width) * 0.5f, hy = std::fabs(height) * 0.5f;  // keeps the normal at +Z
  mesh.FreeAll();
  mesh.verts = {{-hx, -hy, 0.f}, {hx, -hy, 0.f}, {hx, hy, 0.f}, {-hx, hy, 0.f}};
  mesh.tVerts = {{0.f, 0.f, 0.f}, {1.f, 0.f, 0.f}, {1.f, 1.f, 0.f}, {0.f, 1.f, 0.f}};
  addQuad(mesh, {0, 0}, {1, 1}, {2, 2}, {3, 3}, 1, 0);
}

void MeshObject::BuildGeometry(TimeValue, Mesh& mesh) { mesh = source; }

}  // namespace host
