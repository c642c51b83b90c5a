#include "ink/InkSphere.h"

#include <cmath>
#include <numbers>

namespace ink {

namespace {
constexpr int kNorth = 0;
constexpr int kSouth = kSphereVertexCount - 1;

// Vertex j (taken modulo the meridians) of ring i = 1..31.
int ringVertex(int i, int j) { return 1 + (i - 1) * kSphereMeridians + j % kSphereMeridians; }

void setFace(Face& f, int a, int b, int c, bool visA, bool visB, bool visC) {
  f.setVerts(a, b, c);
  f.setSmGroup(1);
  f.setMatID(0);
  f.setEdgeVisFlags(visA, visB, visC);
}
}  // namespace

void buildViewportSphere(float r, Mesh& mesh) {
  mesh.setNumVerts(kSphereVertexCount);
  mesh.setNumFaces(kSphereFaceCount);
  const double pi = std::numbers::pi;
  mesh.setVert(kNorth, Point3(0.f, 0.f, r));
  for (int i = 1; i <= kSphereRings; ++i) {
    const double theta = i * pi / (kSphereRings + 1);
    for (int j = 0; j < kSphereMeridians; ++j) {
      const double phi = j * 2.0 * pi / kSphereMeridians;
      mesh.setVert(ringVertex(i, j), Point3(static_cast<float>(r * std::sin(theta) * std::cos(phi)),
                                            static_cast<float>(r * std::sin(theta) * std::sin(phi)),
                                            static_cast<float>(r * std::cos(theta))));
    }
  }
  mesh.setVert(kSouth, Point3(0.f, 0.f, -r));

  int f = 0;
  // North cap: the meridian from the pole and the first ring's segment.
  for (int j = 0; j < kSphereMeridians; ++j)
    setFace(mesh.faces[f++], kNorth, ringVertex(1, j), ringVertex(1, j + 1), true, true, false);
  // Bands: the first triangle of each quad carries the meridian and the
  // lower ring segment; the second carries nothing of its own.
  for (int i = 1; i < kSphereRings; ++i) {
    for (int j = 0; j < kSphereMeridians; ++j) {
      const int a = ringVertex(i, j), b = ringVertex(i, j + 1), c = ringVertex(i + 1, j), d = ringVertex(i + 1, j + 1);
      setFace(mesh.faces[f++], a, c, d, true, true, false);
      setFace(mesh.faces[f++], a, d, b, false, false, false);
    }
  }
  // South cap: the meridian to the pole (the last ring is drawn by the band above).
  for (int j = 0; j < kSphereMeridians; ++j)
    setFace(mesh.faces[f++], kSouth, ringVertex(kSphereRings, j + 1), ringVertex(kSphereRings, j), true, false, false);
}

}  // namespace ink
