// The ink object's "InkParameters" block, built from the rows of
// InkParamTable.cpp: flags, control ids and label strings follow from each
// row's kind and id, so the table stays the one list of parameters.
#include <algorithm>

#include "ink/InkObject.h"
#include "ink/InkParamTable.h"
#include "plugin/ClassDescriptors.h"

namespace {

using ink::InkParamKind;
using ink::InkParamRow;

// Parameter N's controls are 2000 + 2N and 2001 + 2N; a node list's delete
// button is 2600 + N.
int firstControl(ParamID id) { return 2000 + 2 * id; }
int secondControl(ParamID id) { return 2001 + 2 * id; }
int deleteButton(ParamID id) { return 2600 + id; }

ParamDef paramDef(const InkParamRow& row) {
  ParamDef d;
  d.id = row.id;
  d.internalName = row.name;
  d.labelId = ink::kInkLabelStringBase + row.id;
  const int a = firstControl(row.id), b = secondControl(row.id);
  switch (row.kind) {
    case InkParamKind::Float:
      d.type = TYPE_FLOAT;
      d.flags = P_ANIMATABLE | P_RESET_DEFAULT;
      d.def = static_cast<float>(row.def);
      d.range = ParamRange{row.lo, row.hi};
      d.ui = {row.rollout, TYPE_SPINNER, EDITTYPE_FLOAT, {a, b}, 0};
      break;
    case InkParamKind::Int:
      d.type = TYPE_INT;
      d.flags = P_RESET_DEFAULT;
      d.def = static_cast<int>(row.def);
      d.range = ParamRange{row.lo, row.hi};
      d.ui = {row.rollout, TYPE_SPINNER, EDITTYPE_INT, {a, b}, 0};
      break;
    case InkParamKind::Bool:
      d.type = TYPE_BOOL;
      d.flags = P_RESET_DEFAULT;
      d.def = row.def != 0;
      d.ui = {row.rollout, TYPE_SINGLECHECKBOX, EDITTYPE_NONE, {a}, 0};
      break;
    case InkParamKind::Node:
      d.type = TYPE_INODE;
      d.ui = {row.rollout, TYPE_PICKNODEBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
    case InkParamKind::NodeList:
      d.type = TYPE_INODE_TAB;
      d.flags = P_VARIABLE_SIZE;
      d.ui = {row.rollout, TYPE_NODELISTBOX, EDITTYPE_NONE, {a, b}, deleteButton(row.id)};
      break;
    case InkParamKind::Texmap:
      d.type = TYPE_TEXMAP;
      d.ui = {row.rollout, TYPE_TEXMAPBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
    case InkParamKind::Material:
      d.type = TYPE_MTL;
      d.ui = {row.rollout, TYPE_MTLBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
    case InkParamKind::Filename:
      d.type = TYPE_FILENAME;
      d.ui = {row.rollout, TYPE_FILEOPENBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
  }
  return d;
}

// The block lists its parameters in id order, so index and id agree.
std::vector<ParamDef> paramDefs() {
  std::vector<ParamDef> defs;
  for (const InkParamRow& row : ink::inkParamRows()) defs.push_back(paramDef(row));
  std::sort(defs.begin(), defs.end(), [](const ParamDef& x, const ParamDef& y) { return x.id < y.id; });
  return defs;
}

std::vector<RolloutDef> rollouts() {
  std::vector<RolloutDef> r;
  for (int m = 0; m < ink::kInkRolloutCount; ++m)
    r.push_back({static_cast<MapID>(m), ink::kInkDialogBase + m, ink::kInkTitleStringBase + m});
  return r;
}

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
                              rollouts(), paramDefs());
  return &desc;
}

namespace ink {

const std::vector<host::StringEntry>& inkStrings() {
  static const std::vector<host::StringEntry> strings = [] {
    std::vector<host::StringEntry> s;
    for (int m = 0; m < kInkRolloutCount; ++m) s.push_back({kInkTitleStringBase + m, kRolloutTitles[m]});
    for (const InkParamRow& row : inkParamRows()) s.push_back({kInkLabelStringBase + row.id, row.label});
    return s;
  }();
  return strings;
}

}  // namespace ink
