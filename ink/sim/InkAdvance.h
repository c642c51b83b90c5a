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

ORB_HD inline orb::Vec contain(const Params& P, orb::Vec p) {
  if (!hasGrid(P)) {
    const float limit = 0.995f * P.radius;
    return pullInside(p, limit);
  }
  const float cell = P.gridCell;
  for (int i = 0; i < 4; ++i) {
    const float d = containerDistance(P, p);
    if (d <= -cell) break;
    p -= sdfGrad(P, p) * (cell + d);
  }
  return p;
}

struct Particle {
  orb::Vec position;
  float weight;
};

ORB_HD inline Particle advanceParticle(const Params& P, FlowInputs in, orb::Vec stored, std::int64_t g, float t0,
                                       float t1, bool hasState) {
  const std::uint32_t h = indexHash(g);
  const CycleTime c0 = cycleTime(P, h, t0), c1 = cycleTime(P, h, t1);
  const bool reseed = !hasState || t1 < t0 || c1.local < c0.local || t1 - t0 > c1.local + 0.0001f;
  const Seed seed = seedParticle(P, in.triangles, in.areas, h);
  orb::Vec p = reseed ? seed.position : stored;
  const float from = reseed ? 0.f : c0.local;

  const float dt = stepLength(P);
  const float move = dt * P.timeScale;
  const auto k0 = static_cast<std::int64_t>(floorf(from / dt + 0.5f));
  const auto k1 = static_cast<std::int64_t>(floorf(c1.local / dt + 0.5f));
  for (std::int64_t k = k0; k < k1; ++k) {
    const float tau = c1.start + dt * static_cast<float>(k);
    const orb::Vec v1 = velocity(P, in.tubes, p, tau);
    const orb::Vec mid = p + v1 * (move * 0.5f);
    const orb::Vec v2 = velocity(P, in.tubes, mid, tau + 0.5f * dt);
    p = contain(P, p + v2 * move);
  }
  return {p, c1.fade * seed.weight};
}

}  // namespace ink
