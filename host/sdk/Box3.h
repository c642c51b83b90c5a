#pragma once
// An axis-aligned box of points; Init makes it empty, adding points grows it.
#include <algorithm>

#include "host/sdk/Point3.h"

struct Box3 {
  Point3 pmin, pmax;

  void Init() {
    pmin = Point3(1e30f, 1e30f, 1e30f);
    pmax = Point3(-1e30f, -1e30f, -1e30f);
  }
  bool IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }
  Box3& operator+=(const Point3& p) {
    pmin = Point3(std::min(pmin.x, p.x), std::min(pmin.y, p.y), std::min(pmin.z, p.z));
    pmax = Point3(std::max(pmax.x, p.x), std::max(pmax.y, p.y), std::max(pmax.z, p.z));
    return *this;
  }
  Point3 Center() const { return (pmin + pmax) * 0.5f; }
};
