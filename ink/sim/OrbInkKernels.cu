#include "ink/sim/OrbInkKernels.h"

#include "gpu/LaneLaunch.h"
#include "gpu/Launch.h"
#include "ink/sim/TriangleDistance.h"

namespace ink {
namespace {

// Ink particles first + i from t0 to t1, one per item or one per lane.
struct AdvanceBody {
  Params P;
  FlowInputs inputs;
  orb::Vec* positions;
  float* weights;
  std::int64_t first;
  float t0, t1;
  bool hasState;

  template <class I>
  ORB_HD ORB_ALWAYS_INLINE void operator()(I i) const {
    using R = gpu::LaneNumber<I>;
    using Vec = util::lanes::VecOf<R>;
    const Vec stored = hasState ? Vec(gpu::get(positions, i)) : Vec(orb::Vec{0, 0, 0});
    const ParticleOf<R> p = advanceParticle<R>(P, inputs, stored, indexHash(first, i), t0, t1, hasState);
    gpu::put(positions, i, p.position);
    gpu::put(weights, i, p.weight);
  }
};

}  // namespace

gpu::Status advanceKernel(const Params& params, FlowInputs inputs, orb::Vec* positions, float* weights,
                          std::int64_t first, std::int64_t count, float t0, float t1, bool hasState) {
  return gpu::forEachLanes("ink::advanceKernel", count,
                           AdvanceBody{params, inputs, positions, weights, first, t0, t1, hasState});
}

gpu::Status restKernel(const Params& params, FlowInputs inputs, orb::Vec* rest, std::int64_t first,
                       std::int64_t count, float time) {
  (void)time;  // the rest shape does not move
  const Params P = params;
  return gpu::forEach("ink::restKernel", count, [=] ORB_HD(std::int64_t i) {
    rest[i] = restPosition(P, inputs.triangles, inputs.areas, indexHash(first + i));
  });
}

gpu::Status sdfKernel(const float* vertices, int triangles, int res, orb::Vec origin, float cell, float* grid) {
  const std::int64_t r = res;
  return gpu::forEach("ink::sdfKernel", r * r * r, [=] ORB_HD(std::int64_t i) {
    const std::int64_t x = i % r, y = (i / r) % r, z = i / (r * r);
    const orb::Vec c{origin.x + cell * (static_cast<float>(x) + 0.5f), origin.y + cell * (static_cast<float>(y) + 0.5f),
                     origin.z + cell * (static_cast<float>(z) + 0.5f)};
    grid[i] = signedDistanceToSoup(c, vertices, triangles);
  });
}

}  // namespace ink
