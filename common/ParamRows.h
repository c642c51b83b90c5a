#pragma once
// Parameter blocks written as rows of data. Each block keeps its parameters
// in one list (an .inc file beside its class) whose rows become these; the
// parts every row of a block shares (label string numbering, control ids,
// which kinds animate) are the block's ParamRowStyle, so a row carries only
// what differs from parameter to parameter.
#include <span>
#include <vector>

#include "host/sdk/ParamBlock2.h"

namespace common {

enum class ParamKind { Float, Int, Bool, Color, Node, NodeList, Texmap, Material, Filename };

// A row's default: one number (floats, integers, booleans as 0 / 1) or a
// colour's three. References and file names have none.
struct RowDefault {
  double v[3] = {0, 0, 0};
  constexpr RowDefault(double x) : v{x, 0, 0} {}
  constexpr RowDefault(double r, double g, double b) : v{r, g, b} {}
};
// A colour default in a list, one macro argument: rgb(1, 0.68, 0.4).
constexpr RowDefault rgb(double r, double g, double b) { return {r, g, b}; }

struct ParamRow {
  ParamID id;
  const MCHAR* name;
  ParamKind kind;
  RowDefault def;
  double lo, hi;  // inclusive range of floats and integers
  MapID rollout;
  const MCHAR* label;
};

// What every row of one block shares.
struct ParamRowStyle {
  int labelBase;    // parameter N's label is string labelBase + N
  int controlBase;  // parameter N's controls are controlBase + 2N and controlBase + 2N + 1
  // Flags of the number kinds; references carry none, node lists are variable-size tables.
  int floatFlags, intFlags, boolFlags, colorFlags;
  int (*deleteButton)(ParamID id);  // a node list's delete button
};

// A list-made record's field read from the block at t, by the field's type.
inline void readField(IParamBlock2& pb, ParamID id, TimeValue t, float& field) { field = pb.GetFloat(id, t); }
inline void readField(IParamBlock2& pb, ParamID id, TimeValue t, int& field) { field = pb.GetInt(id, t); }

// The block's parameter definitions in id order, so that index and id agree.
std::vector<ParamDef> paramDefs(std::span<const ParamRow> rows, const ParamRowStyle& style);

// `count` rollouts; rollout M has dialog dialogBase + M and title string titleBase + M.
std::vector<RolloutDef> rolloutDefs(int count, int dialogBase, int titleBase);

}  // namespace common
