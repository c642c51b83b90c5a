// The "TessaronOrbForceParameters" block, built from the one list in
// OrbForceParamRows.inc: one rollout, every parameter animatable.
#include "common/ParamRows.h"
#include "forces/OrbForceObject.h"

namespace {

// The rollout's dialog is 210 and its title string 20 (the class name);
// parameter N's label is string 340 + N.
constexpr int kLabelBase = 340;

constexpr common::ParamRowStyle kStyle = warpParamStyle(kLabelBase);

constexpr common::ParamRow kRows[] = {
#define ORBFORCE_PARAM(id, name, kind, def, lo, hi, label) \
  {id, _M(#name), common::ParamKind::kind, def, lo, hi, 0, _M(label)},
#define ORBFORCE_BLOCK_ONLY ORBFORCE_PARAM
#include "forces/OrbForceParamRows.inc"
#undef ORBFORCE_BLOCK_ONLY
#undef ORBFORCE_PARAM
};
static_assert(std::size(kRows) == 14);

}  // namespace

ParamBlockDesc2* GetOrbForceParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("TessaronOrbForceParameters"), 0, GetOrbForceDesc(),
                              P_AUTO_CONSTRUCT | P_AUTO_UI, 0, common::rolloutDefs(1, 210, 20),
                              common::paramDefs(kRows, kStyle));
  return &desc;
}

namespace orbforce {
const host::StringEntry kStrings[] = {
#define ORBFORCE_PARAM(id, name, kind, def, lo, hi, label) {kLabelBase + id, _M(label)},
#define ORBFORCE_BLOCK_ONLY ORBFORCE_PARAM
#include "forces/OrbForceParamRows.inc"
#undef ORBFORCE_BLOCK_ONLY
#undef ORBFORCE_PARAM
};
const int kStringCount = static_cast<int>(sizeof(kStrings) / sizeof(kStrings[0]));
}  // namespace orbforce
