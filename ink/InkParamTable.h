#pragma once
// The ink object's parameter table as rows of data, made from the one list
// in InkParamRows.inc.
#include <span>

#include "common/ParamRows.h"

namespace ink {

inline constexpr int kInkParamCount = 211;
inline constexpr int kInkRolloutCount = 14;
// The label of parameter N is string 400 + N; rollout M's title is 40 + M.
inline constexpr int kInkLabelStringBase = 400;
inline constexpr int kInkTitleStringBase = 40;
inline constexpr int kInkDialogBase = 230;

std::span<const common::ParamRow> inkParamRows();

}  // namespace ink
