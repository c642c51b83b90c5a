#include "common/ParamRows.h"

#include <algorithm>

namespace common {

namespace {

ParamDef paramDef(const ParamRow& row, const ParamRowStyle& style) {
  ParamDef d;
  d.id = row.id;
  d.internalName = row.name;
  d.labelId = style.labelBase + row.id;
  const int a = style.controlBase + 2 * row.id, b = a + 1;
  switch (row.kind) {
    case ParamKind::Float:
      d.type = TYPE_FLOAT;
      d.flags = style.floatFlags;
      d.def = static_cast<float>(row.def.v[0]);
      d.range = ParamRange{row.lo, row.hi};
      d.ui = {row.rollout, TYPE_SPINNER, EDITTYPE_FLOAT, {a, b}, 0};
      break;
    case ParamKind::Int:
      d.type = TYPE_INT;
      d.flags = style.intFlags;
      d.def = static_cast<int>(row.def.v[0]);
      d.range = ParamRange{row.lo, row.hi};
      d.ui = {row.rollout, TYPE_SPINNER, EDITTYPE_INT, {a, b}, 0};
      break;
    case ParamKind::Bool:
      d.type = TYPE_BOOL;
      d.flags = style.boolFlags;
      d.def = row.def.v[0] != 0;
      d.ui = {row.rollout, TYPE_SINGLECHECKBOX, EDITTYPE_NONE, {a}, 0};
      break;
    case ParamKind::Color:
      d.type = TYPE_RGBA;
      d.flags = style.colorFlags;
      d.def = Point3(static_cast<float>(row.def.v[0]), static_cast<float>(row.def.v[1]),
                     static_cast<float>(row.def.v[2]));
      d.ui = {row.rollout, TYPE_COLORSWATCH, EDITTYPE_NONE, {a}, 0};
      break;
    case ParamKind::Node:
      d.type = TYPE_INODE;
      d.ui = {row.rollout, TYPE_PICKNODEBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
    case ParamKind::NodeList:
      d.type = TYPE_INODE_TAB;
      d.flags = P_VARIABLE_SIZE;
      d.ui = {row.rollout, TYPE_NODELISTBOX, EDITTYPE_NONE, {a, b}, style.deleteButton(row.id)};
      break;
    case ParamKind::Texmap:
      d.type = TYPE_TEXMAP;
      d.ui = {row.rollout, TYPE_TEXMAPBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
    case ParamKind::Material:
      d.type = TYPE_MTL;
      d.ui = {row.rollout, TYPE_MTLBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
    case ParamKind::Filename:
      d.type = TYPE_FILENAME;
      d.ui = {row.rollout, TYPE_FILEOPENBUTTON, EDITTYPE_NONE, {a, b}, 0};
      break;
  }
  return d;
}

}  // namespace

std::vector<ParamDef> paramDefs(std::span<const ParamRow> rows, const ParamRowStyle& style) {
  std::vector<ParamDef> defs;
  defs.reserve(rows.size());
  for (const ParamRow& row : rows) defs.push_back(paramDef(row, style));
  std::sort(defs.begin(), defs.end(), [](const ParamDef& x, const ParamDef& y) { return x.id < y.id; });
  return defs;
}

std::vector<RolloutDef> rolloutDefs(int count, int dialogBase, int titleBase) {
  std::vector<RolloutDef> r;
  for (int m = 0; m < count; ++m) r.push_back({static_cast<MapID>(m), dialogBase + m, titleBase + m});
  return r;
}

}  // namespace common
