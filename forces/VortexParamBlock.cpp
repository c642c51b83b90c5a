// The "TessaronOrbVortexParameters" block, built from the one list in
// VortexParamRows.inc: one rollout, every parameter animatable except the
// seed object list.
#include "common/ParamRows.h"
#include "forces/VortexObject.h"

namespace {

// The rollout's dialog is 211 and its title string 21 (the class name);
// parameter N's label is string 300 + N.
constexpr int kLabelBase = 300;

constexpr common::ParamRowStyle kStyle = warpParamStyle(kLabelBase);

constexpr common::ParamRow kRows[] = {
#define VORTEX_PARAM(id, name, kind, def, lo, hi, label) \
  {id, _M(#name), common::ParamKind::kind, def, lo, hi, 0, _M(label)},
#define VORTEX_BLOCK_ONLY VORTEX_PARAM
#include "forces/VortexParamRows.inc"
#undef VORTEX_BLOCK_ONLY
#undef VORTEX_PARAM
};
static_assert(std::size(kRows) == 16);

}  // namespace

ParamBlockDesc2* GetVortexParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("TessaronOrbVortexParameters"), 0, GetVortexDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
                              common::rolloutDefs(1, 211, 21), common::paramDefs(kRows, kStyle));
  return &desc;
}

namespace vortex {
const host::StringEntry kStrings[] = {
#define VORTEX_PARAM(id, name, kind, def, lo, hi, label) {kLabelBase + id, _M(label)},
#define VORTEX_BLOCK_ONLY VORTEX_PARAM
#include "forces/VortexParamRows.inc"
#undef VORTEX_BLOCK_ONLY
#undef VORTEX_PARAM
};
const int kStringCount = static_cast<int>(sizeof(kStrings) / sizeof(kStrings[0]));
}  // namespace vortex
