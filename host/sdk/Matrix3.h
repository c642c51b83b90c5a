#pragma once
// Affine transform of the host SDK: four rows of three, row-vector convention
// (p * M = p.x row0 + p.y row1 + p.z row2 + row3), so A * B applies A first.
#include "host/sdk/Point3.h"

class Matrix3 {
 public:
  Matrix3() { IdentityMatrix(); }
  explicit Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& r3) {
    rows_[0] = r0; rows_[1] = r1; rows_[2] = r2; rows_[3] = r3;
  }

  void IdentityMatrix();
  bool IsIdentity() const;
  void Zero();
  const Point3& GetRow(int i) const { return rows_[i]; }
  void SetRow(int i, const Point3& p) { rows_[i] = p; }
  Point3 GetTrans() const { return rows_[3]; }
  void SetTrans(const Point3& p) { rows_[3] = p; }
  void NoTrans() { rows_[3] = Point3(); }

  // These post-multiply: the new transform applies after the current one.
  void Translate(const Point3& p);
  void RotateX(float radians);
  void RotateY(float radians);
  void RotateZ(float radians);
  void Scale(const Point3& s, bool transToo = false);

  Point3 PointTransform(const Point3& p) const;
  Point3 VectorTransform(const Point3& v) const;  // ignores the translation
  Matrix3 operator*(const Matrix3& b) const;
  Matrix3& operator*=(const Matrix3& b) { return *this = *this * b; }
  bool operator==(const Matrix3& o) const;
  float Determinant3() const;  // of the 3 x 3 part

 private:
  Point3 rows_[4];
};

inline Point3 operator*(const Point3& p, const Matrix3& m) { return m.PointTransform(p); }
inline Point3 VectorTransform(const Matrix3& m, const Point3& v) { return m.VectorTransform(v); }

// Inverse of an affine transform; a singular 3 x 3 part gives the identity.
Matrix3 Inverse(const Matrix3& m);
Matrix3 TransMatrix(const Point3& p);
Matrix3 ScaleMatrix(const Point3& s);
// Right-handed rotations: a positive angle turns Y towards Z (about X),
// Z towards X (about Y) and X towards Y (about Z).
Matrix3 RotateXMatrix(float radians);
Matrix3 RotateYMatrix(float radians);
Matrix3 RotateZMatrix(float radians);
// Rotation about X, then Y, then Z, angles in radians.
Matrix3 EulerXYZMatrix(const Point3& radians);
