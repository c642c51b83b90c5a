#include "host/sdk/Matrix3.h"

#include <cmath>

void Matrix3::IdentityMatrix() {
  rows_[0] = {1.f, 0.f, 0.f};
  rows_[1] = {0.f, 1.f, 0.f};
  rows_[2] = {0.f, 0.f, 1.f};
  rows_[3] = {0.f, 0.f, 0.f};
}

bool Matrix3::IsIdentity() const { return *this == Matrix3(); }

void Matrix3::Zero() {
  for (auto& r : rows_) r = Point3();
}

void Matrix3::Translate(const Point3& p) { rows_[3] += p; }
void Matrix3::RotateX(float a) { *this = *this * RotateXMatrix(a); }
void Matrix3::RotateY(float a) { *this = *this * RotateYMatrix(a); }
void Matrix3::RotateZ(float a) { *this = *this * RotateZMatrix(a); }

void Matrix3::Scale(const Point3& s, bool transToo) {
  for (int i = 0; i < (transToo ? 4 : 3); ++i) rows_[i] = rows_[i] * s;
}

Point3 Matrix3::PointTransform(const Point3& p) const {
  return rows_[0] * p.x + rows_[1] * p.y + rows_[2] * p.z + rows_[3];
}

Point3 Matrix3::VectorTransform(const Point3& v) const {
  return rows_[0] * v.x + rows_[1] * v.y + rows_[2] * v.z;
}

Matrix3 Matrix3::operator*(const Matrix3& b) const {
  Matrix3 r;
  for (int i = 0; i < 3; ++i) r.rows_[i] = b.VectorTransform(rows_[i]);
  r.rows_[3] = b.PointTransform(rows_[3]);
  return r;
}

bool Matrix3::operator==(const Matrix3& o) const {
  for (int i = 0; i < 4; ++i)
    if (!(rows_[i] == o.rows_[i])) return false;
  return true;
}

float Matrix3::Determinant3() const { return DotProd(rows_[0], rows_[1] % rows_[2]); }

Matrix3 Inverse(const Matrix3& m) {
  const Point3 &a = m.GetRow(0), &b = m.GetRow(1), &c = m.GetRow(2);
  // Rows of the adjugate's transpose are the cross products of row pairs.
  const Point3 bc = b % c, ca = c % a, ab = a % b;
  const double det = static_cast<double>(DotProd(a, bc));
  if (det == 0.0 || !std::isfinite(det)) return Matrix3();
  const float inv = static_cast<float>(1.0 / det);
  // (M^-1)[i][j] = cofactor(j, i) / det; the columns of the inverse are bc, ca, ab.
  Matrix3 r(Point3(bc.x, ca.x, ab.x) * inv, Point3(bc.y, ca.y, ab.y) * inv,
            Point3(bc.z, ca.z, ab.z) * inv, Point3());
  r.SetTrans(-r.VectorTransform(m.GetTrans()));
  return r;
}

Matrix3 TransMatrix(const Point3& p) {
  Matrix3 m;
  m.SetTrans(p);
  return m;
}

Matrix3 ScaleMatrix(const Point3& s) {
  return Matrix3({s.x, 0.f, 0.f}, {0.f, s.y, 0.f}, {0.f, 0.f, s.z}, {});
}

Matrix3 RotateXMatrix(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return Matrix3({1.f, 0.f, 0.f}, {0.f, c, s}, {0.f, -s, c}, {});
}

Matrix3 RotateYMatrix(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return Matrix3({c, 0.f, -s}, {0.f, 1.f, 0.f}, {s, 0.f, c}, {});
}

Matrix3 RotateZMatrix(float a) {
  const float c = std::cos(a), s = std::sin(a);
  return Matrix3({c, s, 0.f}, {-s, c, 0.f}, {0.f, 0.f, 1.f}, {});
}

Matrix3 EulerXYZMatrix(const Point3& r) { return RotateXMatrix(r.x) * RotateYMatrix(r.y) * RotateZMatrix(r.z); }
