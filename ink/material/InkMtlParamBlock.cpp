// The ink material's "InkMaterialParameters" block, built from the one list
// in InkMtlParamRows.inc: four rollouts; colours and floats are animatable,
// integers, booleans and the two maps are not.
#include "common/ParamRows.h"
#include "ink/material/InkMtl.h"

namespace {

constexpr int kRolloutCount = 4;
// Rollout M's dialog is 250 + M and its title string 60 + M; parameter N's
// label is string 700 + N.
constexpr int kDialogBase = 250;
constexpr int kTitleBase = 60;
constexpr int kLabelBase = 700;

// Parameter N's controls are 1000 + 2N and 1001 + 2N (a swatch or a check
// box uses the first).
constexpr common::ParamRowStyle kStyle{
    .labelBase = kLabelBase,
    .controlBase = 1000,
    .floatFlags = P_ANIMATABLE,
    .intFlags = 0,
    .boolFlags = 0,
    .colorFlags = P_ANIMATABLE,
    .deleteButton = [](ParamID id) { return 2001 + 2 * static_cast<int>(id); },
};

using common::rgb;
constexpr common::ParamRow kRows[] = {
#define INKMTL_PARAM(id, name, kind, def, lo, hi, rollout, label) \
  {id, _M(#name), common::ParamKind::kind, def, lo, hi, rollout, _M(label)},
#include "ink/material/InkMtlParamRows.inc"
#undef INKMTL_PARAM
};
static_assert(std::size(kRows) == 29);

}  // namespace

ParamBlockDesc2* GetInkMtlParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("InkMaterialParameters"), 0, GetInkMtlDesc(),
                              P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP, 0,
                              common::rolloutDefs(kRolloutCount, kDialogBase, kTitleBase),
                              common::paramDefs(kRows, kStyle));
  return &desc;
}

namespace inkmtl {
const host::StringEntry kStrings[] = {
    {kTitleBase + 0, _M("Ink shading")},
    {kTitleBase + 1, _M("Colour (map, gradient, channel)")},
    {kTitleBase + 2, _M("Falloff (fabric look)")},
    {kTitleBase + 3, _M("Particles and light")},
#define INKMTL_PARAM(id, name, kind, def, lo, hi, rollout, label) {kLabelBase + id, _M(label)},
#include "ink/material/InkMtlParamRows.inc"
#undef INKMTL_PARAM
};
const int kStringCount = static_cast<int>(sizeof(kStrings) / sizeof(kStrings[0]));
static_assert(std::size(kStrings) == kRolloutCount + std::size(kRows));
}  // namespace inkmtl
