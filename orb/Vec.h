#pragma once
// The position, velocity and colour element shared by host code and kernels.
#include <cmath>

#include "gpu/Config.h"

namespace orb {

struct Vec {
  float x, y, z;
};

ORB_HD inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
ORB_HD inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
ORB_HD inline Vec operator-(Vec a) { return {-a.x, -a.y, -a.z}; }
ORB_HD inline Vec operator*(Vec a, float s) { return {a.x * s, a.y * s, a.z * s}; }
ORB_HD inline Vec operator*(float s, Vec a) { return a * s; }
ORB_HD inline Vec& operator+=(Vec& a, Vec b) { return a = a + b; }
ORB_HD inline Vec& operator-=(Vec& a, Vec b) { return a = a - b; }
ORB_HD inline bool operator==(Vec a, Vec b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
ORB_HD inline bool operator!=(Vec a, Vec b) { return !(a == b); }
ORB_HD inline float dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
ORB_HD inline Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
ORB_HD inline float length(Vec a) { return sqrtf(dot(a, a)); }

}  // namespace orb
