#pragma once
// The three-float vector of positions, velocities and colours, shared by host
// code and kernels. The orb, the ink engine and the warps know it as orb::Vec.
#include <cmath>

#include "gpu/Config.h"

namespace util {

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

// v scaled to unit length, or `fallback` when v has no length.
ORB_HD inline Vec normalizedOr(Vec v, Vec fallback) {
  const float len = length(v);
  return len > 0.f ? v * (1.f / fmaxf(len, 1e-12f)) : fallback;
}

ORB_HD inline Vec lerp(Vec a, Vec b, float w) { return a + (b - a) * w; }

}  // namespace util

namespace orb {
using Vec = util::Vec;
}  // namespace orb
