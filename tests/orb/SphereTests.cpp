// The shell and haze spheres: counts, positions, UVs and winding for the
// segment counts the orb can ask for.
#include <gtest/gtest.h>

#include <cmath>

#include "orb/OrbMesh.h"
#include "orb/Sphere.h"

using namespace orb;

namespace {
constexpr double kPi = 3.14159265358979323846;

Vec faceNormal(const OrbMeshBuffers& b, const Triangle& t) {
  return cross(b.positions[t.v[1]] - b.positions[t.v[0]], b.positions[t.v[2]] - b.positions[t.v[0]]);
}
Vec centroid(const OrbMeshBuffers& b, const Triangle& t) {
  return (b.positions[t.v[0]] + b.positions[t.v[1]] + b.positions[t.v[2]]) * (1.f / 3.f);
}
}  // namespace

TEST(SphereTest, CountsFollowSegmentsAndRings) {
  struct Case {
    int segments, rings;
  } cases[] = {{12, 6}, {13, 6}, {48, 24}, {256, 128}, {4, 3}, {5, 3}};
  for (const Case& c : cases) {
    OrbMeshBuffers b;
    b.begin(1);
    addSphere(b, 10.f, c.segments, kShellMaterial, kShellSmoothing);
    EXPECT_EQ(b.vertexCount(), 2 + (c.rings - 1) * c.segments) << c.segments;
    EXPECT_EQ(b.triangles.size(), static_cast<std::size_t>(2 * c.segments * (c.rings - 1))) << c.segments;
  }
  EXPECT_EQ(clampSegments(300), 256);
  EXPECT_EQ(clampSegments(12), 12);
  EXPECT_EQ(clampSegments(5), 12);
  EXPECT_EQ(clampSegments(13), 13);
}

TEST(SphereTest, PositionsAndUVsMatchTheFormulas) {
  const float R = 7.5f;
  const int s = 13, q = 6;
  OrbMeshBuffers b;
  b.begin(1);
  addSphere(b, R, s, kHazeMaterial, kHazeSmoothing);
  EXPECT_EQ(b.positions[0].z, R);
  EXPECT_EQ(b.uvs[0].u, 0.5f);
  EXPECT_EQ(b.uvs[0].v, 1.f);
  EXPECT_EQ(b.positions.back().z, -R);
  EXPECT_EQ(b.uvs.back().v, 0.f);
  for (int i = 1; i < q; ++i) {
    for (int j = 0; j < s; ++j) {
      const Vec p = b.positions[1 + (i - 1) * s + j];
      const double polar = i * kPi / q, az = 2 * kPi * j / s;
      EXPECT_NEAR(p.x, R * std::sin(polar) * std::cos(az), 1e-5);
      EXPECT_NEAR(p.y, R * std::sin(polar) * std::sin(az), 1e-5);
      EXPECT_NEAR(p.z, R * std::cos(polar), 1e-5);
      const UV uv = b.uvs[1 + (i - 1) * s + j];
      EXPECT_FLOAT_EQ(uv.u, static_cast<float>(j) / s);
      EXPECT_FLOAT_EQ(uv.v, 1.f - static_cast<float>(i) / q);
    }
  }
  for (float shade : b.shades) EXPECT_EQ(shade, 1.f);
  for (const Triangle& t : b.triangles) {
    EXPECT_EQ(t.material, kHazeMaterial);
    EXPECT_EQ(t.smoothing, kHazeSmoothing);
  }
}

TEST(SphereTest, OuterFacesPointOutAndInnerWallsIn) {
  OrbMeshBuffers b;
  b.begin(1);
  addSphere(b, 10.f, 24, kShellMaterial, kShellSmoothing);
  const std::size_t outer = b.triangles.size();
  addSphere(b, 9.f, 24, kShellMaterial, kShellSmoothing, true);
  for (std::size_t i = 0; i < b.triangles.size(); ++i) {
    const float facing = dot(faceNormal(b, b.triangles[i]), centroid(b, b.triangles[i]));
    if (i < outer)
      EXPECT_GT(facing, 0.f) << i;
    else
      EXPECT_LT(facing, 0.f) << i;
  }
}

TEST(SphereTest, RebuildingTheSameLayoutKeepsTrianglesAndRewritesPositions) {
  OrbMeshBuffers b;
  EXPECT_FALSE(b.begin(42));
  addSphere(b, 10.f, 16, kShellMaterial, kShellSmoothing);
  const std::vector<Triangle> triangles = b.triangles;
  EXPECT_TRUE(b.begin(42));
  addSphere(b, 20.f, 16, kShellMaterial, kShellSmoothing);
  EXPECT_EQ(b.triangles.size(), triangles.size());
  EXPECT_EQ(b.positions[0].z, 20.f);
  EXPECT_FALSE(b.begin(43));  // another layout starts afresh
  EXPECT_TRUE(b.positions.empty());
}
