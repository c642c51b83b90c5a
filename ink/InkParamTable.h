#pragma once
// The ink object's parameter table as rows of data, made from the one list
// in InkParamRows.inc.
#include <span>

#include "host/sdk/ParamTypes.h"
#include "host/sdk/Types.h"

namespace ink {

enum class InkParamKind { Float, Int, Bool, Node, NodeList, Texmap, Material, Filename };

struct InkParamRow {
  ParamID id;
  const MCHAR* name;
  InkParamKind kind;
  double def;     // numbers; booleans 0 / 1; unused for references and files
  double lo, hi;  // inclusive range of floats and integers
  MapID rollout;
  const MCHAR* label;
};

inline constexpr int kInkParamCount = 211;
inline constexpr int kInkRolloutCount = 14;
// The label of parameter N is string 400 + N; rollout M's title is 40 + M.
inline constexpr int kInkLabelStringBase = 400;
inline constexpr int kInkTitleStringBase = 40;
inline constexpr int kInkDialogBase = 230;

std::span<const InkParamRow> inkParamRows();

}  // namespace ink
