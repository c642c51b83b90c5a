#include "ink/InkParamTable.h"

namespace ink {

namespace {
constexpr common::ParamRow kRows[] = {
#define INK_PARAM(id, name, kind, def, lo, hi, rollout, label) \
  {id, _M(#name), common::ParamKind::kind, def, lo, hi, rollout, _M(label)},
#include "ink/InkParamRows.inc"
#undef INK_PARAM
};
static_assert(std::size(kRows) == kInkParamCount);
}  // namespace

std::span<const common::ParamRow> inkParamRows() { return kRows; }

}  // namespace ink
