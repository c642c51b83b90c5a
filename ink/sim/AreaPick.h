#pragma once
// Picking a triangle in proportion to its share of a running-sum table: the
// index of the first entry not below a uniform draw u (the last entry when
// none is). Draws are one float, or a pack of them picking one per lane.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "gpu/Config.h"
#include "util/Lanes.h"

namespace ink {

// The plain halving over the whole table. It runs without data-dependent
// branches (a random pick would mispredict every second branch), and its
// halving count depends on the table alone, so a pack halves in step.
template <class R>
ORB_HD ORB_ALWAYS_INLINE util::lanes::IntOf<R> pickTriangle(const float* table, std::int32_t count, R u) {
  namespace lanes = util::lanes;
  lanes::IntOf<R> lo(0);
  std::int32_t n = count;
  while (n > 1) {
    const std::int32_t half = n / 2;
    lo = lanes::select(lanes::gatherAt(table, lo + (half - 1)) < u, lo + half, lo);
    n -= half;
  }
  return lo;
}

// The same index from a guide: the table's range [0, 1) cut into `cells`
// equal cells, guide[k] the pick of k / cells and guide[cells] the last
// entry. A draw in cell k lies between the picks of cells k - 1 and k + 2
// whatever the rounding of u * cells, so the halving runs over those few
// entries only: a handful of dependent reads instead of one per halving of
// the whole table, which is what bounds the pick's latency.
struct GuidedPick {
  const float* table;
  const std::int32_t* guide;
  std::int32_t cells;

  template <class R>
  ORB_HD ORB_ALWAYS_INLINE util::lanes::IntOf<R> operator()(R u) const {
    namespace lanes = util::lanes;
    using I = lanes::IntOf<R>;
    const I k = lanes::truncateToInt(u * static_cast<float>(cells));
    I lo = lanes::gatherAt(guide, lanes::select(k > 0, k - 1, I(0)));
    const I hi = lanes::gatherAt(guide, lanes::select(k + 2 < I(cells), k + 2, I(cells)));
    I n = hi - lo + 1;
    while (lanes::any(n > 1)) {
      const I half = n >> 1;  // 0 in lanes already done
      const I probe = lanes::select(half > 0, lo + (half - 1), lo);
      lo = lanes::select((half > 0) & (lanes::gatherAt(table, probe) < u), lo + half, lo);
      n = n - half;
    }
    return lo;
  }
};

// Cells for a table of `count` entries: about one entry per cell, at most
// 2^22 so that a cell stays far wider than the rounding of u * cells.
inline std::int32_t guideCells(std::size_t count) {
  return static_cast<std::int32_t>(std::clamp<std::size_t>(count, 1, std::size_t{1} << 22));
}

// The guide of GuidedPick for a running-sum table (cells + 1 entries).
inline std::vector<std::int32_t> pickGuide(const std::vector<float>& table) {
  const std::int32_t cells = guideCells(table.size()), count = static_cast<std::int32_t>(table.size());
  std::vector<std::int32_t> guide(static_cast<std::size_t>(cells) + 1, std::max(count - 1, 0));
  for (std::int32_t k = 0; k < cells && count > 0; ++k)
    guide[static_cast<std::size_t>(k)] =
        pickTriangle(table.data(), count, static_cast<float>(k) / static_cast<float>(cells));
  return guide;
}

}  // namespace ink
