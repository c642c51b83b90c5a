#pragma once
// The ink's velocity field: the curl of a vector potential built from curl
// noise, the vortex tubes of the track and a global spin, ramped to zero at
// the container wall so that no flow crosses it.
#include <cmath>

#include "gpu/Config.h"
#include "ink/sim/ContainerField.h"
#include "ink/sim/CurlNoise.h"
#include "ink/sim/InkRecords.h"
#include "util/Vec.h"

namespace ink {


// Adds the track's tubes, interpolated between its frames at time tau.
ORB_HD inline void addVortexTubes(const Params& P, const Tube* track, orb::Vec p, float tau, orb::Vec& psi,
                                  orb::Vec& v) {
  const int frames = P.trackFrames, perFrame = P.tubesPerFrame;
  if (frames <= 0 || perFrame <= 0) return;
  float tt = tau - P.trackStart;
  if (P.loop) {
    const float period = fmaxf(P.loopSeconds, 0.1f);
    tt -= period * floorf(tt / period);
  }
  const float x = fmaxf(tt * P.fps, 0.f);
  const float fi = floorf(x);
  int i0, i1;
  float w;
  if (fi < static_cast<float>(frames - 1)) {
    i0 = static_cast<int>(fi);
    w = x - fi;
  } else {
    i0 = frames - 1;
    w = 0.f;
  }
  i1 = i0 + 1 < frames ? i0 + 1 : i0;
  const Tube* A = track + static_cast<std::int64_t>(i0) * perFrame;
  const Tube* B = track + static_cast<std::int64_t>(i1) * perFrame;
  for (int j = 0; j < perFrame; ++j) {
    const Tube& a = A[j];
    const Tube& b = B[j];
    const float core = a.core + (b.core - a.core) * w;
    if (!(core > 0.f)) continue;  // a tube without a core has no flow
    const orb::Vec centre = lerp(a.centre, b.centre, w);
    const orb::Vec axisSum = lerp(a.axis, b.axis, w);
    const orb::Vec axis = axisSum * (1.f / fmaxf(length(axisSum), 1e-12f));
    const orb::Vec d = p - centre;
    const float along = dot(d, axis);
    const orb::Vec rperp = d - axis * along;
    // The axial weight first: it is cheap for surface tubes and zero for most
    // of the sphere. exp(-x) falls below the cut-offs for x > 11.52 (1e-5)
    // and x > 13.82 (1e-6), so far tubes are skipped before the exponentials.
    float wa = 1.f;
    if (a.kind == 2) {
      const float s = along / fmaxf(a.a, 0.0001f);
      if (s * s > 11.6f) continue;
      wa = expf(-s * s);
    } else if (a.kind == 1) {
      const float t = clampf((dot(p, axis) / P.radius - a.a) / (a.b - a.a + 1e-12f), 0.f, 1.f);
      wa = t * t * (3.f - 2.f * t);
    }
    if (wa < 1e-5f) continue;
    const float core2 = core * core;
    const float radial = dot(rperp, rperp) / core2;
    if (radial > 13.9f) continue;
    const float g = expf(-radial);
    if (g < 1e-6f) continue;
    const float strength = a.strength + (b.strength - a.strength) * w;
    psi += axis * (0.5f * strength * g * wa);
    v += cross(axis, rperp) * (strength * wa * g / core2);
  }
}

ORB_HD inline orb::Vec velocity(const Params& P, const Tube* track, orb::Vec p, float tau) {
  orb::Vec psi{0, 0, 0}, v{0, 0, 0};
  addCurlNoise(P, p, tau, psi, v);
  addVortexTubes(P, track, p, tau, psi, v);
  if (P.spin != 0.f) {
    const orb::Vec axis = P.spinAxis;
    const orb::Vec rperp = p - axis * dot(p, axis);
    psi += axis * (-0.5f * P.spin * dot(rperp, rperp));
    v += cross(axis, p) * P.spin;
  }
  // Wall ramp: the velocity of alpha * psi, alpha rising from 0 at the wall
  // to 1 one soft width inside.
  const float soft = fmaxf(P.wallSoftness * P.radius, 0.0001f);
  const float x = -containerDistance(P, p) / soft;
  if (x < 1.f) {
    const float xc = clampf(x, 0.f, 1.f);
    const float alpha = xc * xc * (3.f - 2.f * xc);
    orb::Vec gradAlpha{0, 0, 0};
    if (x > 0.f) gradAlpha = sdfGrad(P, p) * (-6.f * xc * (1.f - xc) / soft);
    v = v * alpha + cross(gradAlpha, psi);
  }
  return v;
}

}  // namespace ink
