#pragma once
// One particle's advance from time t0 to t1: reseed when it has no state or
// its cycle restarted, then midpoint steps through the velocity field with
// the container keeping it inside.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/ContainerField.h"
#include "ink/sim/InkRecords.h"
#include "ink/sim/InkSeeding.h"
#include "ink/sim/InkVelocity.h"
#include "util/Vec.h"

namespace ink {

// The kernels' read-only inputs besides the parameter record.
struct FlowInputs {
  const Tube* tubes;
  const Tri* triangles;
  const float* areas;
};

ORB_HD inline float stepLength(const Params& P) {
  return 1.f / (fmaxf(P.fps, 1.f) * static_cast<float>(P.substeps > 1 ? P.substeps : 1));
}

// p kept inside the container: pulled onto the sphere, or pushed along the
// distance field's gradient until it is a cell inside (at most four times).
template <class Vec>
ORB_HD ORB_ALWAYS_INLINE Vec contain(const Params& P, Vec p) {
  namespace lanes = util::lanes;
  using R = decltype(p.x);
  if (!hasGrid(P)) {
    const float limit = 0.995f * P.radius;
    return pullInside(p, limit);
  }
  const float cell = P.gridCell;
  lanes::MaskOf<R> done{};
  for (int i = 0; i < 4; ++i) {
    const R d = containerDistance<R>(P, p);
    done = done | (d <= -cell);
    if (!lanes::any(!done)) break;
    p = lanes::select(done, p, p - sdfGrad<R>(P, p) * (cell + d));
  }
  return p;
}

template <class R>
struct ParticleOf {
  util::lanes::VecOf<R> position;
  R weight;
};
using Particle = ParticleOf<float>;

#if !defined(__CUDACC__)
// The seeds of a pack, one lane at a time: seeding branches on each
// particle's source and retries, and runs once per frame against the
// steps' many velocity evaluations.
ORB_ALWAYS_INLINE ParticleOf<util::lanes::Floats> seedLanes(const Params& P, FlowInputs in, util::lanes::Uints h) {
  ParticleOf<util::lanes::Floats> seeds;
  for (int l = 0; l < util::lanes::kLanes; ++l) {
    const Seed s = seedParticle(P, in.triangles, in.areas, h[l]);
    setLane(seeds.position, l, s.position);
    seeds.weight.v[l] = s.weight;
  }
  return seeds;
}
#endif
ORB_HD inline Particle seedLanes(const Params& P, FlowInputs in, std::uint32_t h) {
  const Seed s = seedParticle(P, in.triangles, in.areas, h);
  return {s.position, s.weight};
}

// The particle whose index hashes to h (one, or a pack) from its stored
// position at t0 to t1. Lanes whose cycles need fewer steps keep still
// while the others step.
template <class R>
ORB_HD ORB_ALWAYS_INLINE ParticleOf<R> advanceParticle(const Params& P, FlowInputs in,
                                                       const util::lanes::VecOf<R>& stored, util::lanes::UintOf<R> h,
                                                       float t0, float t1, bool hasState) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  using I = lanes::IntOf<R>;
  const CycleTimeOf<R> c0 = cycleTime<R>(P, h, t0), c1 = cycleTime<R>(P, h, t1);
  const auto reseed =
      lanes::MaskOf<R>(!hasState || t1 < t0) | (c1.local < c0.local) | (t1 - t0 > c1.local + 0.0001f);
  const ParticleOf<R> seed = seedLanes(P, in, h);
  Vec p = lanes::select(reseed, seed.position, stored);
  const R from = lanes::select(reseed, R(0.f), c0.local);

  const float dt = stepLength(P);
  const float move = dt * P.timeScale;
  const I k1 = lanes::truncateToInt(lanes::floor(c1.local / dt + 0.5f));
  for (I k = lanes::truncateToInt(lanes::floor(from / dt + 0.5f)); lanes::any(k < k1); k += 1) {
    const R tau = c1.start + dt * lanes::toFloat(k);
    const Vec v1 = velocity<R>(P, in.tubes, p, tau);
    const Vec mid = p + v1 * (move * 0.5f);
    const Vec v2 = velocity<R>(P, in.tubes, mid, tau + 0.5f * dt);
    p = lanes::select(k < k1, contain(P, p + v2 * move), p);
  }
  return {p, c1.fade * seed.weight};
}
ORB_HD inline Particle advanceParticle(const Params& P, FlowInputs in, orb::Vec stored, std::int64_t g, float t0,
                                       float t1, bool hasState) {
  return advanceParticle<float>(P, in, stored, indexHash(g), t0, t1, hasState);
}

}  // namespace ink
