#include "ink/sim/SourceKernels.h"

#include "gpu/LaneLaunch.h"
#include "gpu/Launch.h"
#include "ink/sim/SilkParticle.h"
#include "ink/sim/SwirlStep.h"

namespace ink {
namespace {

// Silk particles first + i, one per item or one per lane.
struct SilkBody {
  SilkParams P;
  const SilkTri* triangles;
  GuidedPick pick;
  orb::Vec* positions;
  float* weights;
  std::int64_t first;
  orb::Vec* texture;

  template <class I>
  ORB_HD ORB_ALWAYS_INLINE void operator()(I i) const {
    using R = gpu::LaneNumber<I>;
    const SilkPoint<R> s = silkParticle<R>(P, triangles, pick, indexHash(first, i));
    gpu::put(positions, i, s.position);
    gpu::put(weights, i, s.weight);
    if (texture) gpu::put(texture, i, util::lanes::VecOf<R>{s.u, s.v, R(0.f)});
  }
};

}  // namespace

gpu::Status silkKernel(const SilkParams& params, const SilkTri* triangles, const GuidedPick& pick, orb::Vec* positions,
                       float* weights, std::int64_t first, std::int64_t count, orb::Vec* texture) {
  return gpu::forEachLanes("ink::silkKernel", count,
                           SilkBody{params, triangles, pick, positions, weights, first, texture});
}

gpu::Status swirlKernel(const SwirlParams& params, const swirl::Frame* track, orb::Vec* positions,
                        orb::Vec* velocities, float* weights, std::int64_t count, float t0, float t1, bool hasState) {
  const SwirlParams P = params;
  return gpu::forEach("ink::swirlKernel", count, [=] ORB_HD(std::int64_t i) {
    const SwirlState in = hasState ? SwirlState{positions[i], velocities[i]} : SwirlState{};
    const SwirlState out = swirlAdvance(P, track, in, i, t0, t1, hasState);
    positions[i] = out.position;
    velocities[i] = out.velocity;
    weights[i] = 1.f;
  });
}

gpu::Status toInkSpace(const SwirlParams& params, const orb::Vec* positions, orb::Vec* inkPositions,
                       std::int64_t count) {
  const orb::Vec r0 = params.rows[0], r1 = params.rows[1], r2 = params.rows[2], tr = params.translation;
  return gpu::forEach("ink::toInkSpace", count, [=] ORB_HD(std::int64_t i) {
    const orb::Vec p = positions[i];
    inkPositions[i] = r0 * p.x + r1 * p.y + r2 * p.z + tr;
  });
}

}  // namespace ink
