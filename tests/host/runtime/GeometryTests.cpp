#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "host/runtime/Geometry.h"

using namespace host;

namespace {

Point3 corner(const Mesh& m, int f, int k) { return m.verts[m.faces[f].v[k]]; }
UVVert uvCorner(const Mesh& m, int f, int k) { return m.tVerts[m.tvFace[f].t[k]]; }
Point3 faceNormal(const Mesh& m, int f) { return (corner(m, f, 1) - corner(m, f, 0)) % (corner(m, f, 2) - corner(m, f, 0)); }
Point3 centroid(const Mesh& m, int f) { return (corner(m, f, 0) + corner(m, f, 1) + corner(m, f, 2)) / 3.f; }
// Twice the signed area of the face in texture space: positive when the
// texture is not mirrored on a face wound counter-clockwise.
float uvArea(const Mesh& m, int f) {
  const UVVert a = uvCorner(m, f, 0), b = uvCorner(m, f, 1), c = uvCorner(m, f, 2);
  return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Every face of a closed shape around the origin faces away from it, and its
// texture is laid on unmirrored.
void expectOutwardAndUnmirrored(const Mesh& m) {
  ASSERT_EQ(m.tvFace.size(), m.faces.size());
  for (int f = 0; f < m.getNumFaces(); ++f) {
    EXPECT_GT(DotProd(faceNormal(m, f), centroid(m, f)), 0.f) << "face " << f;
    EXPECT_GT(uvArea(m, f), 0.f) << "face " << f;
  }
}

}  // namespace

TEST(BoxObject, SidesHaveOwnVerticesIdsSmoothingAndUVs) {
  for (const Point3 size : {Point3(2.f, 4.f, 6.f), Point3(-2.f, 4.f, -6.f)}) {
    BoxObject box(size);
    Mesh m;
    box.BuildGeometry(0, m);
    ASSERT_EQ(m.getNumVerts(), 24);
    ASSERT_EQ(m.getNumFaces(), 12);
    ASSERT_EQ(m.getNumTVerts(), 24);
    expectOutwardAndUnmirrored(m);
    const Point3 sideNormals[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
    for (int f = 0; f < 12; ++f) {
      const int side = m.faces[f].getMatID();
      ASSERT_LT(side, 6);
      EXPECT_EQ(m.faces[f].getSmGroup(), 1u << side);
      EXPECT_EQ(faceNormal(m, f).Normalize(), sideNormals[side]) << "face " << f;
      // Only the diagonal, the edge from the third corner back to the first, is hidden.
      EXPECT_EQ(m.faces[f].flags & EDGE_ALL, EDGE_A | EDGE_B);
      const float diagonal = (corner(m, f, 0) - corner(m, f, 2)).Length();
      EXPECT_GT(diagonal, (corner(m, f, 0) - corner(m, f, 1)).Length());
      EXPECT_GT(diagonal, (corner(m, f, 1) - corner(m, f, 2)).Length());
    }
    for (const Point3& p : m.verts)
      for (int a = 0; a < 3; ++a) EXPECT_FLOAT_EQ(std::fabs(p[a]), std::fabs(size[a]) / 2);
    for (const UVVert& uv : m.tVerts) {
      EXPECT_TRUE(uv.x == 0.f || uv.x == 1.f);
      EXPECT_TRUE(uv.y == 0.f || uv.y == 1.f);
    }
  }
}

class SphereSegments : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(SphereSegments, ClampsAndBuildsRingsBetweenSinglePoles) {
  const auto [asked, around] = GetParam();
  const int rings = around / 2;
  SphereObject sphere(3.f, asked);
  Mesh m;
  sphere.BuildGeometry(0, m);
  ASSERT_EQ(m.getNumVerts(), 2 + (rings - 1) * around);
  ASSERT_EQ(m.getNumFaces(), 2 * around * (rings - 1));
  ASSERT_EQ(m.getNumTVerts(), (rings - 1) * (around + 1) + 2 * around);
  expectOutwardAndUnmirrored(m);
  int poles = 0;
  for (const Point3& p : m.verts) {
    EXPECT_NEAR(p.Length(), 3.f, 1e-5f);
    if (p.x == 0.f && p.y == 0.f) ++poles;
  }
  EXPECT_EQ(poles, 2);
  EXPECT_EQ(m.verts.front(), Point3(0.f, 0.f, -3.f));
  EXPECT_EQ(m.verts.back(), Point3(0.f, 0.f, 3.f));
  // u runs counter-clockwise from +X, v from the south pole, away from the poles and the seam.
  for (int f = 0; f < m.getNumFaces(); ++f) {
    EXPECT_EQ(m.faces[f].getSmGroup(), 1u);
    for (int k = 0; k < 3; ++k) {
      const Point3 p = corner(m, f, k);
      const UVVert uv = uvCorner(m, f, k);
      EXPECT_NEAR(uv.y, std::acos(-p.z / 3.f) / std::numbers::pi, 1e-5) << "face " << f;
      if (std::fabs(p.z) < 2.999f && uv.x < 0.999f) {
        const double azimuth = std::atan2(p.y, p.x) / (2 * std::numbers::pi);
        EXPECT_NEAR(uv.x, azimuth < 0 ? azimuth + 1 : azimuth, 1e-5) << "face " << f;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, SphereSegments,
                         ::testing::Values(std::pair(-1, 4), std::pair(3, 4), std::pair(4, 4), std::pair(5, 5),
                                           std::pair(12, 12)));

TEST(PlaneObject, CentredWithUpNormalAndUVsAcross) {
  PlaneObject plane(4.f, 2.f);
  Mesh m;
  plane.BuildGeometry(0, m);
  ASSERT_EQ(m.getNumVerts(), 4);
  ASSERT_EQ(m.getNumFaces(), 2);
  for (int f = 0; f < 2; ++f) {
    EXPECT_EQ(faceNormal(m, f).Normalize(), Point3(0, 0, 1));
    EXPECT_GT(uvArea(m, f), 0.f);
    for (int k = 0; k < 3; ++k) {
      const Point3 p = corner(m, f, k);
      EXPECT_EQ(uvCorner(m, f, k), UVVert(p.x / 4.f + 0.5f, p.y / 2.f + 0.5f, 0.f));
    }
  }
}

TEST(ProceduralGeometry, ConvertsToNewTriObjectOnly) {
  MeshObject object;
  PlaneObject().BuildGeometry(0, object.source);
  std::unique_ptr<Object> tri(object.ConvertToType(0, triObjectClassID));
  ASSERT_NE(tri, nullptr);
  EXPECT_NE(tri.get(), &object);
  EXPECT_EQ(static_cast<TriObject*>(tri.get())->mesh.verts, object.source.verts);
  EXPECT_EQ(object.ConvertToType(0, kBoxClassID), nullptr);
}
