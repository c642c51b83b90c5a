#pragma once
// The two triangle queries behind the container distance grid: the closest
// point on a triangle (by its Voronoi regions) and a ray-triangle crossing
// test for the inside/outside parity.
#include <cmath>

#include "gpu/Config.h"
#include "util/Vec.h"

namespace ink {

ORB_HD inline orb::Vec closestPointOnTriangle(orb::Vec p, orb::Vec a, orb::Vec b, orb::Vec c) {
  const orb::Vec ab = b - a, ac = c - a, ap = p - a;
  const float d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0.f && d2 <= 0.f) return a;
  const orb::Vec bp = p - b;
  const float d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0.f && d4 <= d3) return b;
  const float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.f && d1 >= 0.f && d3 <= 0.f) return a + ab * (d1 / (d1 - d3));
  const orb::Vec cp = p - c;
  const float d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0.f && d5 <= d6) return c;
  const float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.f && d2 >= 0.f && d6 <= 0.f) return a + ac * (d2 / (d2 - d6));
  const float va = d3 * d6 - d5 * d4;
  if (va <= 0.f && d4 - d3 >= 0.f && d5 - d6 >= 0.f) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const float denom = 1.f / (va + vb + vc);
  return a + ab * (vb * denom) + ac * (vc * denom);
}

// True when the ray o + t dir, t > 0, crosses the triangle.
ORB_HD inline bool rayCrosses(orb::Vec o, orb::Vec dir, orb::Vec a, orb::Vec b, orb::Vec c) {
  const orb::Vec e1 = b - a, e2 = c - a;
  const orb::Vec pv = cross(dir, e2);
  const float det = dot(e1, pv);
  if (fabsf(det) <= 1e-12f) return false;
  const float inv = 1.f / det;
  const orb::Vec tv = o - a;
  const float u = dot(tv, pv) * inv;
  if (u < 0.f || u > 1.f) return false;
  const orb::Vec qv = cross(tv, e1);
  const float v = dot(dir, qv) * inv;
  if (v < 0.f || u + v > 1.f) return false;
  return dot(e2, qv) * inv > 0.f;
}

// Signed distance from p to a closed triangle soup (nine floats per
// triangle): negative inside, by the parity of crossings of a fixed ray.
ORB_HD inline float signedDistanceToSoup(orb::Vec p, const float* vertices, int triangles) {
  const orb::Vec dir{1.f, 0.000123f, 0.000417f};
  float best2 = INFINITY;
  int crossings = 0;
  for (int i = 0; i < triangles; ++i) {
    const float* t = vertices + 9 * static_cast<long long>(i);
    const orb::Vec a{t[0], t[1], t[2]}, b{t[3], t[4], t[5]}, c{t[6], t[7], t[8]};
    const orb::Vec q = closestPointOnTriangle(p, a, b, c) - p;
    best2 = fminf(best2, dot(q, q));
    if (rayCrosses(p, dir, a, b, c)) ++crossings;
  }
  const float d = sqrtf(best2);
  return (crossings & 1) ? -d : d;
}

}  // namespace ink
