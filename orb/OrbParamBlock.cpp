// The orb's "OrbParameters" block, built from the one list in
// OrbParamRows.inc: 50 parameters on five rollouts, every number animatable
// and reset to its default, and the veil source list.
#include "common/ParamRows.h"
#include "orb/OrbObject.h"

namespace {

constexpr int kRolloutCount = 5;
// Rollout M's dialog is 200 + M and its title string 10 + M; parameter N's
// label is string 100 + N.
constexpr int kDialogBase = 200;
constexpr int kTitleBase = 10;
constexpr int kLabelBase = 100;

// Parameter N's controls are 1000 + 2N and 1001 + 2N; the node list's
// delete button is its second control + 1000.
constexpr common::ParamRowStyle kStyle{
    .labelBase = kLabelBase,
    .controlBase = 1000,
    .floatFlags = P_ANIMATABLE | P_RESET_DEFAULT,
    .intFlags = P_ANIMATABLE | P_RESET_DEFAULT,
    .boolFlags = P_ANIMATABLE | P_RESET_DEFAULT,
    .colorFlags = 0,
    .deleteButton = [](ParamID id) { return 2001 + 2 * static_cast<int>(id); },
};

constexpr common::ParamRow kRows[] = {
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) \
  {id, _M(#name), common::ParamKind::kind, def, lo, hi, rollout, _M(label)},
#define ORB_BLOCK_ONLY ORB_PARAM
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
};
static_assert(std::size(kRows) == 50);

}  // namespace

ParamBlockDesc2* GetOrbParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("OrbParameters"), 0, GetOrbDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP, 0,
                              common::rolloutDefs(kRolloutCount, kDialogBase, kTitleBase),
                              common::paramDefs(kRows, kStyle));
  return &desc;
}

namespace orb {
const host::StringEntry kOrbStrings[] = {
    {kTitleBase + 0, _M("Shape")},
    {kTitleBase + 1, _M("Fabric Surface")},
    {kTitleBase + 2, _M("Loop / Motion")},
    {kTitleBase + 3, _M("Fabric Physics")},
    {kTitleBase + 4, _M("Quality / Components")},
#define ORB_PARAM(id, name, kind, def, lo, hi, rollout, key, label) {kLabelBase + id, _M(label)},
#define ORB_BLOCK_ONLY ORB_PARAM
#include "orb/OrbParamRows.inc"
#undef ORB_BLOCK_ONLY
#undef ORB_PARAM
};
const int kOrbStringCount = static_cast<int>(sizeof(kOrbStrings) / sizeof(kOrbStrings[0]));
static_assert(std::size(kOrbStrings) == kRolloutCount + std::size(kRows));
}  // namespace orb
