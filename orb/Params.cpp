#include "orb/Params.h"

#include <cstddef>

namespace orb {

// The layout the cloth kernel is built against: a row moved in the list
// moves its field, so the list's order is checked here.
static_assert(sizeof(Params) == 180);
static_assert(offsetof(Params, shellThickness) == 8 && offsetof(Params, veilCount) == 16 &&
              offsetof(Params, seed) == 76 && offsetof(Params, reverse) == 96 && offsetof(Params, stiffness) == 100 &&
              offsetof(Params, selfCollision) == 140 && offsetof(Params, anchor) == 148 &&
              offsetof(Params, slack) == 152 && offsetof(Params, useCUDA) == 176 && offsetof(Params, showVeil) == 179);

namespace {
float fieldDefault(util::field::Float, double def) { return static_cast<float>(def); }
std::int32_t fieldDefault(util::field::Int, double def) { return static_cast<std::int32_t>(def); }
std::uint8_t fieldDefault(util::field::Bool, double def) { return def != 0 ? 1 : 0; }
}  // namespace

Params defaultParams() {
  Params p{};
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) p.name = fieldDefault(util::field::kind{}, def);
#define ORB_BLOCK_ONLY(id, name, kind, def, lo, hi, rollout, key, label)
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
  return p;
}

}  // namespace orb
