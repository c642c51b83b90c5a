// The ink object's "InkParameters" block, built from the rows of
// InkParamTable.cpp: flags, control ids and label strings follow from each
// row's kind and id, so the table stays the one list of parameters.
#include "ink/InkObject.h"
#include "ink/InkParamTable.h"

namespace {

// Floats animate, every number resets to its default. Parameter N's
// controls are 2000 + 2N and 2001 + 2N; a node list's delete button is
// 2600 + N.
constexpr common::ParamRowStyle kStyle{
    .labelBase = ink::kInkLabelStringBase,
    .controlBase = 2000,
    .floatFlags = P_ANIMATABLE | P_RESET_DEFAULT,
    .intFlags = P_RESET_DEFAULT,
    .boolFlags = P_RESET_DEFAULT,
    .colorFlags = 0,
    .deleteButton = [](ParamID id) { return 2600 + static_cast<int>(id); },
};

const MCHAR* const kRolloutTitles[ink::kInkRolloutCount] = {
    _M("Ink Particles"),
    _M("Flow"),
    _M("Vortex Forces"),
    _M("Tessaron Ink Render (renderer)"),
    _M("Particle Silk (cloth made of particles)"),
    _M("Surface Swirl (Vortex Force, no tyFlow)"),
    _M("Colour, Lights and HDRI"),
    _M("Assemble (gather from objects)"),
    _M("PRT export channels (Krakatoa, Frost, tyFlow)"),
    _M("PRT input (render any PRT sequence)"),
    _M("Particle shading (colour by channel)"),
    _M("About / Help"),
    _M("Scene objects and shadows"),
    _M("Ink in Water (fluid simulation)"),
};

}  // namespace

ParamBlockDesc2* GetInkParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("InkParameters"), 0, GetInkDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP, 0,
                              common::rolloutDefs(ink::kInkRolloutCount, ink::kInkDialogBase, ink::kInkTitleStringBase),
                              common::paramDefs(ink::inkParamRows(), kStyle));
  return &desc;
}

namespace ink {

const std::vector<host::StringEntry>& inkStrings() {
  static const std::vector<host::StringEntry> strings = [] {
    std::vector<host::StringEntry> s;
    for (int m = 0; m < kInkRolloutCount; ++m) s.push_back({kInkTitleStringBase + m, kRolloutTitles[m]});
    for (const common::ParamRow& row : inkParamRows()) s.push_back({kInkLabelStringBase + row.id, row.label});
    return s;
  }();
  return strings;
}

}  // namespace ink
