#pragma once
// The glass sphere's optics for one camera ray: where it enters, how much
// it reflects (Schlick's Fresnel), the path through a hollow shell or a
// solid ball with every total-internal-reflection rule, the interior ray
// the ink is seen along, and the ray that leaves towards the background.
#include <cmath>

#include "gpu/Config.h"
#include "util/Vec.h"

namespace ink {

struct SphereCrossing {
  bool hit;
  float tNear, tFar;  // distances along the ray, tNear ≤ tFar
};

// The ray o + t d (d unit) against the sphere of radius r at the origin.
ORB_HD inline SphereCrossing crossSphere(orb::Vec o, orb::Vec d, float r) {
  const float b = dot(o, d);
  const float disc = b * b - (dot(o, o) - r * r);
  if (!(disc >= 0.f)) return {false, 0.f, 0.f};
  const float root = sqrtf(disc);
  return {true, -b - root, -b + root};
}

// Schlick's approximation of the reflected share at incidence cos θ.
ORB_HD inline float schlick(float cosTheta, float r0) {
  const float m = 1.f - cosTheta;
  return r0 + (1.f - r0) * m * m * m * m * m;
}

ORB_HD inline float normalReflectance(float ior) {
  const float r = (ior - 1.f) / (ior + 1.f);
  return r * r;
}

ORB_HD inline orb::Vec reflect(orb::Vec d, orb::Vec n) { return d - n * (2.f * dot(d, n)); }

// d refracted at a surface whose normal n faces the incoming ray
// (d · n ≤ 0), with eta = n_from / n_to; false on total internal reflection.
ORB_HD inline bool refract(orb::Vec d, orb::Vec n, float eta, orb::Vec& out) {
  const float cosI = -dot(d, n);
  const float k = 1.f - eta * eta * (1.f - cosI * cosI);
  if (k < 0.f) return false;
  out = d * eta + n * (eta * cosI - sqrtf(k));
  return true;
}

// Ray offsets off a surface, so that the next crossing is not the same one.
constexpr float kSurfaceOffset = 0.001f;

struct GlassPath {
  bool visible = false;
  float tNear = 0.f, tFar = 0.f;  // the camera ray's crossings of the glass sphere
  orb::Vec entry{}, normal{};     // entry point and outward normal there
  float cosTheta = 0.f, fresnel = 0.f;
  orb::Vec refracted{};  // direction inside the glass after the entry
  // The ray the ink is seen along: inside the interior of a hollow shell,
  // else inside the glass.
  orb::Vec interiorOrigin{}, interiorDir{};
  orb::Vec exitPoint{}, exitDir{};  // leaving the glass sphere
};

struct GlassShape {
  float radius;     // Rg
  float ior;
  float thickness;  // of a hollow shell, in units of Rg
  bool solid;
};

// The far crossing of a sphere of radius r from inside, with the normal
// there facing back into the sphere.
ORB_HD inline orb::Vec farCrossing(orb::Vec o, orb::Vec d, float r, orb::Vec& inwardNormal) {
  const SphereCrossing c = crossSphere(o, d, r);
  const orb::Vec p = o + d * (c.hit ? c.tFar : 0.f);
  inwardNormal = p * (-1.f / r);
  return p;
}

// Leaves the glass through the outer sphere: refraction into air, or the
// ray mirrored about the normal on total internal reflection.
ORB_HD inline void leaveGlass(GlassPath& g, const GlassShape& s, orb::Vec from, orb::Vec dir) {
  orb::Vec n;
  g.exitPoint = farCrossing(from + dir * kSurfaceOffset, dir, s.radius, n);
  if (!refract(dir, n, s.ior, g.exitDir)) g.exitDir = reflect(dir, n);
}

// Traces the camera ray from `eye` along d through the glass. `visible` is
// left false when the sphere is missed or lies behind the eye; the caller
// applies the rule about scene objects in front of the glass.
ORB_HD inline GlassPath traceGlass(orb::Vec eye, orb::Vec d, const GlassShape& s) {
  GlassPath g;
  const SphereCrossing c = crossSphere(eye, d, s.radius);
  if (!c.hit || !(c.tNear > 0.f)) return g;
  g.visible = true;
  g.tNear = c.tNear;
  g.tFar = c.tFar;
  g.entry = eye + d * c.tNear;
  g.normal = g.entry * (1.f / s.radius);
  g.cosTheta = fmaxf(-dot(d, g.normal), 0.f);
  g.fresnel = schlick(g.cosTheta, normalReflectance(s.ior));
  if (!refract(d, g.normal, 1.f / s.ior, g.refracted)) g.refracted = d;
  g.interiorOrigin = g.entry;
  g.interiorDir = g.refracted;
  if (s.solid) {
    leaveGlass(g, s, g.entry, g.refracted);
    return g;
  }
  // Hollow shell: through the glass wall into the air-like interior, across
  // it, back through the wall and out.
  const float inner = s.radius * (1.f - s.thickness);
  const orb::Vec from = g.entry + g.refracted * kSurfaceOffset;
  const SphereCrossing wall = crossSphere(from, g.refracted, inner);
  if (!(inner > 0.f) || !wall.hit || !(wall.tNear > 0.f)) {
    leaveGlass(g, s, g.entry, g.refracted);
    return g;
  }
  const orb::Vec in = from + g.refracted * wall.tNear;
  orb::Vec across = g.refracted;
  refract(g.refracted, in * (1.f / inner), s.ior, across);  // unchanged on total internal reflection
  g.interiorOrigin = in;
  g.interiorDir = across;
  orb::Vec n;
  const orb::Vec out = farCrossing(in + across * kSurfaceOffset, across, inner, n);
  orb::Vec wallDir = across;
  refract(across, n, 1.f / s.ior, wallDir);  // unchanged on total internal reflection
  leaveGlass(g, s, out, wallDir);
  return g;
}

}  // namespace ink
