#include "forces/VortexForce.h"

#include <algorithm>
#include <cmath>

#include "util/Math.h"

namespace vortex {

namespace {
using util::kDegToRad;
using util::kTwoPi;
// An off vortex sits this many spreads away, so its weight is only the floor.
constexpr float kOffDistance = 1e6f;

Point3 normalisedIfLong(const Point3& v) {
  const float l = v.Length();
  return l > 1e-6f ? v / l : v;
}
}  // namespace

void prepareVortexSet(const VortexEval& e, VortexSet& set) {
  set.radius = e.radius;
  set.surfaceHold = e.surfaceHold;
  set.partition = std::max(e.partition, 0.f);
  set.turbulence = e.turbulence;
  set.loopSeconds = std::max(e.loopSeconds, 0.1f);
  set.count = e.axisCount;
  const float baseSpread = std::max(e.spread, 0.5f) * kDegToRad;
  const float baseEye = std::max(e.eye, 0.01f);
  for (int j = 0; j < e.axisCount; ++j) {
    VortexTerm& v = set.terms[j];
    v.axis = Point3(e.axes[j].x, e.axes[j].y, e.axes[j].z);
    v.invSpread = 1.f / baseSpread;
    v.swirl = e.swirl;
    v.attraction = e.attraction;
    v.eye = baseEye;
    v.on = true;
    if (j < e.seedCount) {
      const SeedVortex& s = e.seeds[j];
      if (s.spread > 0) v.invSpread = 1.f / (s.spread * kDegToRad);
      v.swirl *= s.swirl;
      v.attraction *= s.attraction;
      if (s.eye > 0) v.eye = s.eye;
      v.on = s.on;
    }
  }
}

Point3 localVortexForce(const VortexSet& set, const Point3& q, int index, float seconds) {
  const float d = q.Length();
  if (d < 1e-5f) return {};
  const Point3 n = q / d;
  Point3 f = n * ((set.radius - d) * set.surfaceHold);

  float cosine[kMaxVortices], angle[kMaxVortices], weight[kMaxVortices];
  float total = 0;
  for (int j = 0; j < set.count; ++j) {
    const VortexTerm& v = set.terms[j];
    cosine[j] = std::clamp(DotProd(v.axis, n), -1.f, 1.f);
    angle[j] = std::acos(cosine[j]) * v.invSpread;
    const float distance = v.on ? angle[j] : kOffDistance;
    weight[j] = std::pow(std::exp(-distance * distance) + 1e-9f, set.partition);
    total += weight[j];
  }
  if (total > 1e-9f) {
    for (int j = 0; j < set.count; ++j) {
      const float g = weight[j] / total;
      if (g < 1e-4f) continue;
      const VortexTerm& v = set.terms[j];
      const float theta = angle[j], falloff = std::exp(-theta * theta);
      const Point3 around = normalisedIfLong(CrossProd(v.axis, n));
      const Point3 towards = normalisedIfLong(v.axis - n * cosine[j]);
      // Inside the eye the swirl grows with the distance from the axis, like a rigid core.
      f += (towards * (std::min(theta, 1.f) * v.attraction * falloff) +
            around * (std::min(theta / v.eye, 1.f) * v.swirl * falloff)) *
           g;
    }
  }
  if (set.turbulence > 0) {
    const float w = kTwoPi * seconds / set.loopSeconds;
    const float phase = 0.013f * static_cast<float>(index);
    Point3 t(std::sin(0.08f * q.y + w + phase) - std::cos(0.08f * q.z - w),
             std::sin(2.f * w + 0.08f * q.z) - std::cos(0.08f * q.x + w),
             std::sin(0.08f * q.x - w) - std::cos(2.f * w + 0.08f * q.y));
    t -= n * DotProd(t, n);
    f += t * set.turbulence;
  }
  return f;
}

}  // namespace vortex
