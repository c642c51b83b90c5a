#include "ink/sim/SourceKernels.h"

#include "gpu/Launch.h"
#include "ink/sim/SilkParticle.h"
#include "ink/sim/SwirlStep.h"

namespace ink {

gpu::Status silkKernel(const SilkParams& params, const SilkTri* triangles, const float* areas, orb::Vec* positions,
                       float* weights, std::int64_t first, std::int64_t count, orb::Vec* texture) {
  const SilkParams P = params;
  return gpu::forEach("ink::silkKernel", count, [=] ORB_HD(std::int64_t i) {
    const SilkPoint s = silkParticle(P, triangles, areas, first + i);
    positions[i] = s.position;
    weights[i] = s.weight;
    if (texture) texture[i] = {s.u, s.v, 0.f};
  });
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
