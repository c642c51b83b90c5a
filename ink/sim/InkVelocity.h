#pragma once
// The ink's velocity field: the curl of a vector potential built from curl
// noise, the vortex tubes of the track and a global spin, ramped to zero at
// the container wall so that no flow crosses it.
#include <cmath>
#include <type_traits>

#include "gpu/Config.h"
#include "ink/sim/ContainerField.h"
#include "ink/sim/CurlNoise.h"
#include "ink/sim/InkRecords.h"
#include "util/LaneVec.h"
#include "util/Vec.h"

namespace ink {


// Adds the track's tubes, interpolated between its frames at time tau. One
// particle, or a pack whose lanes share the track's two frames (the tubes'
// records are then read once for all lanes).
template <class R>
ORB_HD ORB_ALWAYS_INLINE void addVortexTubesShared(const Params& P, const Tube* A, const Tube* B, R w,
                                        const util::lanes::VecOf<R>& p, util::lanes::VecOf<R>& psi,
                                        util::lanes::VecOf<R>& v) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  for (int j = 0; j < P.tubesPerFrame; ++j) {
    const Tube& a = A[j];
    const Tube& b = B[j];
    const R core = a.core + (b.core - a.core) * w;
    auto flows = core > 0.f;  // a tube without a core has no flow
    if (!lanes::any(flows)) continue;
    const Vec centre = lerp(Vec(a.centre), Vec(b.centre), w);
    const Vec axisSum = lerp(Vec(a.axis), Vec(b.axis), w);
    const Vec axis = axisSum * (1.f / lanes::max(length(axisSum), R(1e-12f)));
    const Vec d = p - centre;
    const R along = dot(d, axis);
    const Vec rperp = d - axis * along;
    // The axial weight first: it is cheap for surface tubes and zero for most
    // of the sphere. exp(-x) falls below the cut-offs for x > 11.52 (1e-5)
    // and x > 13.82 (1e-6), so far tubes are skipped before the exponentials.
    R wa(1.f);
    if (a.kind == 2) {
      const R s = along / fmaxf(a.a, 0.0001f);
      flows = flows & !(s * s > 11.6f);
      if (!lanes::any(flows)) continue;
      wa = lanes::exp(-s * s);
    } else if (a.kind == 1) {
      const R t = lanes::clamp((dot(p, axis) / P.radius - a.a) / (a.b - a.a + 1e-12f), 0.f, 1.f);
      wa = t * t * (3.f - 2.f * t);
    }
    flows = flows & !(wa < 1e-5f);
    const R core2 = core * core;
    const R radial = dot(rperp, rperp) / core2;
    flows = flows & !(radial > 13.9f);
    if (!lanes::any(flows)) continue;
    const R g = lanes::exp(-radial);
    flows = flows & !(g < 1e-6f);
    const R strength = a.strength + (b.strength - a.strength) * w;
    psi = lanes::select(flows, psi + axis * (0.5f * strength * g * wa), psi);
    v = lanes::select(flows, v + cross(axis, rperp) * (strength * wa * g / core2), v);
  }
}

template <class R>
ORB_HD ORB_ALWAYS_INLINE void addVortexTubes(const Params& P, const Tube* track, const util::lanes::VecOf<R>& p, R tau,
                                  util::lanes::VecOf<R>& psi, util::lanes::VecOf<R>& v) {
  namespace lanes = util::lanes;
  using I = lanes::IntOf<R>;
  const int frames = P.trackFrames, perFrame = P.tubesPerFrame;
  if (frames <= 0 || perFrame <= 0) return;
  R tt = tau - P.trackStart;
  if (P.loop) {
    const float period = fmaxf(P.loopSeconds, 0.1f);
    tt -= period * lanes::floor(tt / period);
  }
  const R x = lanes::max(tt * P.fps, R(0.f));
  const R fi = lanes::floor(x);
  const auto within = fi < static_cast<float>(frames - 1);
  const I i0 = lanes::select(within, lanes::truncateToInt(fi), I(frames - 1));
  const R w = lanes::select(within, x - fi, R(0.f));
  const I i1 = lanes::select(i0 + 1 < I(frames), i0 + 1, i0);
  if (lanes::sameInEveryLane(i0) && lanes::sameInEveryLane(i1)) {
    addVortexTubesShared(P, track + static_cast<std::int64_t>(lanes::firstLane(i0)) * perFrame,
                         track + static_cast<std::int64_t>(lanes::firstLane(i1)) * perFrame, w, p, psi, v);
    return;
  }
#if !defined(__CUDACC__)
  // Lanes between different track frames (rounding at a frame's edge): the
  // whole pack once per lane with that lane's frames, keeping that lane, so
  // every lane gets the pack's arithmetic whatever its neighbours.
  if constexpr (!std::is_same_v<R, float>) {
    const lanes::VecOf<R> psiIn = psi, vIn = v;
    for (int l = 0; l < lanes::kLanes; ++l) {
      lanes::VecOf<R> psiLanes = psiIn, vLanes = vIn;
      addVortexTubesShared<R>(P, track + static_cast<std::int64_t>(i0[l]) * perFrame,
                              track + static_cast<std::int64_t>(i1[l]) * perFrame, w, p, psiLanes, vLanes);
      setLane(psi, l, lane(psiLanes, l));
      setLane(v, l, lane(vLanes, l));
    }
  }
#endif
}

template <class R>
ORB_HD ORB_ALWAYS_INLINE util::lanes::VecOf<R> velocity(const Params& P, const Tube* track,
                                                        const util::lanes::VecOf<R>& p, R tau) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  Vec psi(orb::Vec{0, 0, 0}), v(orb::Vec{0, 0, 0});
  addCurlNoise<R>(P, p, tau, psi, v);
  addVortexTubes<R>(P, track, p, tau, psi, v);
  if (P.spin != 0.f) {
    const Vec axis(P.spinAxis);
    const Vec rperp = p - axis * dot(p, axis);
    psi += axis * (-0.5f * P.spin * dot(rperp, rperp));
    v += cross(axis, p) * P.spin;
  }
  // Wall ramp: the velocity of alpha * psi, alpha rising from 0 at the wall
  // to 1 one soft width inside.
  const float soft = fmaxf(P.wallSoftness * P.radius, 0.0001f);
  const R x = -containerDistance<R>(P, p) / soft;
  const auto nearWall = x < 1.f;
  if (lanes::any(nearWall)) {
    const R xc = lanes::clamp(x, 0.f, 1.f);
    const R alpha = xc * xc * (3.f - 2.f * xc);
    Vec gradAlpha(orb::Vec{0, 0, 0});
    const auto inside = x > 0.f;
    if (lanes::any(inside))
      gradAlpha = lanes::select(inside, sdfGrad<R>(P, p) * (-6.f * xc * (1.f - xc) / soft), gradAlpha);
    v = lanes::select(nearWall, v * alpha + cross(gradAlpha, psi), v);
  }
  return v;
}
ORB_HD inline orb::Vec velocity(const Params& P, const Tube* track, orb::Vec p, float tau) {
  return velocity<float>(P, track, p, tau);
}

}  // namespace ink
