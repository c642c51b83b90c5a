#pragma once
// Whether a point lies inside an assemble target shape, in double precision,
// for the morph's tests and the evaluation's.
#include <cmath>

#include "ink/sim/AssembleParams.h"

namespace inktest {

// The point's coordinates along the shape's half-axes, which are orthogonal.
inline void shapeCoordinates(const ink::AssembleShape& s, orb::Vec p, double u[3]) {
  const double d[3] = {double(p.x) - s.centre.x, double(p.y) - s.centre.y, double(p.z) - s.centre.z};
  for (int k = 0; k < 3; ++k) {
    const orb::Vec a = s.axis[k];
    u[k] = (d[0] * a.x + d[1] * a.y + d[2] * a.z) / (double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z);
  }
}

inline bool insideShape(const ink::AssembleShape& s, orb::Vec p) {
  double u[3];
  shapeCoordinates(s, p, u);
  if (s.ellipsoid) return u[0] * u[0] + u[1] * u[1] + u[2] * u[2] <= 1.0 + 1e-4;
  return std::fabs(u[0]) <= 1.0 + 1e-5 && std::fabs(u[1]) <= 1.0 + 1e-5 && std::fabs(u[2]) <= 1.0 + 1e-5;
}

}  // namespace inktest
