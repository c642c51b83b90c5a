// Transforms in the row-vector convention, intervals and string conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "host/sdk/Matrix3.h"
#include "host/sdk/Mesh.h"
#include "host/sdk/Node.h"
#include "host/sdk/Time.h"

namespace {
constexpr float kHalfPi = 1.57079632679f;

void expectNear(const Point3& a, const Point3& b, float eps = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, eps);
  EXPECT_NEAR(a.y, b.y, eps);
  EXPECT_NEAR(a.z, b.z, eps);
}
}  // namespace

TEST(Matrix3Test, PointsAreRowVectorsAndProductsApplyLeftFirst) {
  const Matrix3 scale = ScaleMatrix(Point3(2.f, 2.f, 2.f));
  const Matrix3 move = TransMatrix(Point3(1.f, 0.f, 0.f));
  expectNear(Point3(1.f, 1.f, 1.f) * (scale * move), Point3(3.f, 2.f, 2.f));
  expectNear(Point3(1.f, 1.f, 1.f) * (move * scale), Point3(4.f, 2.f, 2.f));
  expectNear(VectorTransform(move, Point3(0.f, 1.f, 0.f)), Point3(0.f, 1.f, 0.f));
}

TEST(Matrix3Test, RotationsAreRightHanded) {
  expectNear(Point3(0.f, 1.f, 0.f) * RotateXMatrix(kHalfPi), Point3(0.f, 0.f, 1.f));
  expectNear(Point3(0.f, 0.f, 1.f) * RotateYMatrix(kHalfPi), Point3(1.f, 0.f, 0.f));
  expectNear(Point3(1.f, 0.f, 0.f) * RotateZMatrix(kHalfPi), Point3(0.f, 1.f, 0.f));
  // Euler order X, then Y, then Z.
  const Point3 p(0.f, 1.f, 0.f);
  expectNear(p * EulerXYZMatrix(Point3(kHalfPi, 0.f, kHalfPi)), p * RotateXMatrix(kHalfPi) * RotateZMatrix(kHalfPi));
}

TEST(Matrix3Test, InverseUndoesAffineTransforms) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> u(-3.f, 3.f);
  for (int i = 0; i < 50; ++i) {
    const Matrix3 m = ScaleMatrix(Point3(u(rng) + 4.f, u(rng) + 4.f, u(rng) + 4.f)) *
                      EulerXYZMatrix(Point3(u(rng), u(rng), u(rng))) * TransMatrix(Point3(u(rng), u(rng), u(rng)));
    const Point3 p(u(rng), u(rng), u(rng));
    expectNear(p * m * Inverse(m), p, 1e-4f);
    expectNear(p * Inverse(m) * m, p, 1e-4f);
  }
  Matrix3 singular;
  singular.SetRow(2, Point3());
  EXPECT_TRUE(Inverse(singular).IsIdentity());
}

TEST(Matrix3Test, AimPointsMinusZAtTheTargetWithYUp) {
  const Matrix3 aim = AimMatrix(Point3(0.f, 1.f, 0.f));  // looking along +Y
  expectNear(-aim.GetRow(2), Point3(0.f, 1.f, 0.f));
  expectNear(aim.GetRow(1), Point3(0.f, 0.f, 1.f));
  expectNear(aim.GetRow(0), Point3(1.f, 0.f, 0.f));
  const Matrix3 down = AimMatrix(Point3(0.f, 0.f, -1.f));  // straight down: world Y is the reference
  expectNear(-down.GetRow(2), Point3(0.f, 0.f, -1.f));
  EXPECT_NEAR(down.Determinant3(), 1.f, 1e-5f);
  EXPECT_TRUE(AimMatrix(Point3()).IsIdentity());
}

TEST(IntervalTest, IntersectionAndMembership) {
  EXPECT_TRUE(Interval().Empty());
  EXPECT_FALSE(Interval().InInterval(0));
  EXPECT_TRUE(FOREVER.InInterval(123456));
  EXPECT_EQ(Interval(0, 10) & Interval(5, 20), Interval(5, 10));
  EXPECT_TRUE((Interval(0, 4) & Interval(5, 20)).Empty());
  Interval iv = FOREVER;
  iv &= Interval(3, 3);
  EXPECT_EQ(iv, Interval(3, 3));
}

TEST(StringTest, Utf8RoundTripsAndInvalidBytesBecomeReplacementCharacters) {
  const std::string text = "Kugel \xC3\xBC \xE2\x82\xAC \xF0\x9F\x8C\x8A";
  EXPECT_EQ(host::narrow(host::widen(text)), text);
  EXPECT_EQ(host::widen("\xC3"), std::wstring(1, L'\uFFFD'));
  EXPECT_EQ(host::widen("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(host::widen("\xE2\x28\xA1"), L"\uFFFD(\uFFFD");
}

TEST(MeshTest, NormalsFollowTheWindingAndFaceFlagsKeepMaterialIds) {
  Mesh m;
  m.setNumVerts(3);
  m.verts = {Point3(0.f, 0.f, 0.f), Point3(1.f, 0.f, 0.f), Point3(0.f, 1.f, 0.f)};
  m.setNumFaces(1);
  m.faces[0].setVerts(0, 1, 2);
  m.faces[0].setMatID(5);
  m.faces[0].setEdgeVisFlags(1, 0, 1);
  m.buildNormals();
  expectNear(m.getFaceNormal(0), Point3(0.f, 0.f, 1.f));
  expectNear(m.getNormal(2), Point3(0.f, 0.f, 1.f));
  EXPECT_EQ(m.faces[0].getMatID(), 5);
  EXPECT_EQ(m.faces[0].getEdgeVis(0), 1);
  EXPECT_EQ(m.faces[0].getEdgeVis(1), 0);
  m.faces[0].setVerts(0, 1, 9);  // a bad index is skipped, not read
  m.buildNormals();
  expectNear(m.getFaceNormal(0), Point3());
}
