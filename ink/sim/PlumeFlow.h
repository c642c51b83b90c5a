#pragma once
// Water-ink particles moving through the stored water: the history's
// velocity at a point and frame position, and one particle's birth and
// path over a run of substeps. Pure functions of their inputs, shared by
// the kernels and their tests.
#include <cstdint>

#include "CUDA/vf/GridDesc.h"
#include "gpu/Config.h"
#include "ink/sim/InkHash.h"
#include "ink/sim/InkSeeding.h"
#include "ink/sim/PlumeRecords.h"
#include "util/Vec.h"

namespace ink {

// Salts of the water-ink particles' draws.
namespace plumeSalt {
constexpr std::uint32_t kBirth = 0x4F1BBCDDu, kDirZ = 0x2B7E1516u, kDirPhi = 0x28AED2A6u, kRadius = 0x3243F6A8u;
}  // namespace plumeSalt

// The stored water: frame f's cell-centred velocities at f × cells.
struct WaterHistory {
  const orb::Vec* frames;
  std::int32_t frameCount;
  vf::GridDesc grid;
};

// The water's velocity at ink-space point p and frame position `frame`
// (0 = the range's start, one per frame): trilinear over the cell centres,
// linear between the two frames around the position (clamped to the range).
ORB_HD inline orb::Vec historyVelocity(const WaterHistory& h, orb::Vec p, float frame) {
  const vf::FieldShape cells = vf::cellShape(h.grid);
  const orb::Vec at = vf::cellUnits(h.grid, p);
  const float f = fminf(fmaxf(frame, 0.f), static_cast<float>(h.frameCount - 1));
  const std::int32_t f0 = static_cast<std::int32_t>(f), f1 = f0 + 1 < h.frameCount ? f0 + 1 : f0;
  const orb::Vec a = vf::readField(h.frames + cells.count() * f0, cells, at);
  const orb::Vec b = vf::readField(h.frames + cells.count() * f1, cells, at);
  return vf::lerpOf(a, b, f - static_cast<float>(f0));
}

// The substep at which particle `index` is born: the pour time times a
// per-particle draw.
ORB_HD inline std::int32_t birthSubstep(const PlumeParams& P, std::int64_t index) {
  const float u = draw(static_cast<std::uint32_t>(P.seedMix), plumeSalt::kBirth, indexHash(index));
  return static_cast<std::int32_t>(P.emitSeconds * u / substepSeconds(P));
}

// Where particle `index` enters the water: a uniform point of the source ball.
ORB_HD inline orb::Vec plumeSourcePoint(const PlumeParams& P, std::int64_t index) {
  const std::uint32_t base = static_cast<std::uint32_t>(P.seedMix), key = indexHash(index);
  const orb::Vec unit =
      unitBallPoint(draw(base, plumeSalt::kDirZ, key), draw(base, plumeSalt::kDirPhi, key), draw(base, plumeSalt::kRadius, key));
  return P.sourceCentre + unit * P.sourceRadius;
}

struct PlumeParticle {
  orb::Vec position;
  float weight;  // 1 once born, else 0
};

// Particle `index` over substeps [from, to): placed at the source when the
// run starts at or before its birth, then moved by h × the water's velocity
// each substep from its birth on, and kept within 0.97 R.
ORB_HD inline PlumeParticle advancePlumeParticle(const PlumeParams& P, const WaterHistory& water, std::int64_t index,
                                                 orb::Vec position, std::int32_t from, std::int32_t to) {
  const std::int32_t birth = birthSubstep(P, index);
  if (from <= birth) position = plumeSourcePoint(P, index);
  const float h = substepSeconds(P), limit = 0.97f * P.radius;
  for (std::int32_t s = from > birth ? from : birth; s < to; ++s) {
    const float frame = static_cast<float>(s) / static_cast<float>(P.substeps);
    position = pullInside(position + historyVelocity(water, position, frame) * h, limit);
  }
  return {position, to > birth ? 1.f : 0.f};
}

}  // namespace ink
