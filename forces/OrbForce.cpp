#include "forces/OrbForce.h"

#include <algorithm>
#include <cmath>

#include "common/ParamRows.h"
#include "forces/OrbForceParams.h"

namespace orbforce {

OrbForceParams readOrbForceParams(IParamBlock2& pb, TimeValue t) {
  OrbForceParams p;
#define ORBFORCE_PARAM(id, name, kind, def, lo, hi, label) common::readField(pb, param::name, t, p.name);
#define ORBFORCE_BLOCK_ONLY(id, name, kind, def, lo, hi, label)
#include "forces/OrbForceParamRows.inc"
#undef ORBFORCE_BLOCK_ONLY
#undef ORBFORCE_PARAM
  return p;
}

Point3 localOrbForce(const OrbForceParams& p, const Point3& q, int index, float seconds) {
  const float d = q.Length();
  const float weight =
      std::pow(std::max(0.f, std::min(1.f, 1.f - d / std::max(0.001f, p.radius))), std::max(p.falloff, 0.1f));
  const Point3 n = d > 1e-5f ? q / d : Point3(0.f, 0.f, 1.f);
  // Swirl runs around local Z; on the axis itself it points along +X.
  const Point3 around = CrossProd(Point3(0.f, 0.f, 1.f), n);
  const float aroundLength = around.Length();
  const Point3 e = aroundLength < 1e-5f ? Point3(1.f, 0.f, 0.f) : around / aroundLength;
  const float tau = seconds * p.timeScale + 0.173f * static_cast<float>(p.seed);
  const float w = p.turbulenceScale;
  const Point3 axial(0.f, 0.f, p.axialFlow);

  Point3 f;
  switch (p.mode) {
    case 0:
      f = n * (std::clamp(p.radius - d, -p.shellBand, p.shellBand) * p.strength) + e * p.swirl + axial;
      break;
    case 1:
      f = n * ((p.radius - d) * p.strength) + e * p.swirl + axial;
      break;
    case 2:
      f = n * -p.strength + e * p.swirl + axial;
      break;
    default:
      f = Point3(std::sin(w * q.y + tau) - std::cos(w * q.z - 0.73f * tau),
                 std::sin(w * q.z + 0.83f * tau) - std::cos(w * q.x + tau),
                 std::sin(w * q.x - 0.61f * tau) - std::cos(w * q.y + 0.47f * tau)) *
          (p.strength + p.swirl);
      break;
  }
  if (p.turbulence > 0) {
    const float phase = 0.013f * static_cast<float>(index);
    f += Point3(std::sin(w * q.y + tau + phase) - std::cos(w * q.z - tau),
                std::sin(w * q.z + 0.7f * tau) - std::cos(w * q.x - 0.9f * tau),
                std::sin(w * q.x + 0.6f * tau) - std::cos(w * q.y - 0.8f * tau)) *
         p.turbulence;
  }
  return f * (p.responseScale * weight);
}

}  // namespace orbforce
