#pragma once
// The Vortex Force's parameters at one time and the vortex list they make:
// seed vortices from the seed objects first, then the generated ones on a
// seeded, slowly wandering Fibonacci sphere.
#include <cstdint>

#include "forces/SwirlFrame.h"
#include "host/sdk/Matrix3.h"
#include "host/sdk/Time.h"
#include "util/RecordField.h"

class IParamBlock2;

namespace vortex {

inline constexpr int kMaxVortices = swirl::kMaxVortices;

struct SeedVortex {
  orb::Vec axis;
  float swirl = 1;       // multiplier
  float attraction = 1;  // multiplier
  float spread = 0;      // degrees; 0: use the block's spread
  float eye = 0;         // 0: use the block's eye
  bool on = true;
};

struct VortexEval {
  // The block's values, made from the list in VortexParamRows.inc.
#define VORTEX_PARAM(id, name, kind, def, lo, hi, label) util::field::kind name;
#define VORTEX_BLOCK_ONLY(id, name, kind, def, lo, hi, label)
#include "forces/VortexParamRows.inc"
#undef VORTEX_BLOCK_ONLY
#undef VORTEX_PARAM
  int generated;  // G
  int seedCount;  // S
  SeedVortex seeds[kMaxVortices];
  int axisCount;  // min(S + G, 64): seed axes first
  orb::Vec axes[kMaxVortices];
};

// The per-vortex random draws hash a seed base with the lattice hash
// (util::latticeMix, util::latticeUnit).
inline std::uint32_t seedBase(int seed) { return static_cast<std::uint32_t>(seed) * 0x8DA6B343u; }

// Generated axis i of `count` at `seconds`: a Fibonacci point, turned by
// the seed, wandering with whole frequencies so that it repeats every loop.
orb::Vec generatedAxis(std::uint32_t base, int i, int count, float wander, float loopSeconds, float seconds);

// Reads the block at t; seed positions are taken into the warp's space by
// `inverseNodeTM` (identity when the warp has no node).
void readVortexEval(IParamBlock2& pb, TimeValue t, const Matrix3& inverseNodeTM, VortexEval& out);

// The record the ink's swirl source reads.
void fillSwirlFrame(const VortexEval& e, swirl::Frame& frame);

}  // namespace vortex
