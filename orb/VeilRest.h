#pragma once
// The veil's rest shape: where each cloth particle starts and what the
// rest-hold spring pulls it back to, in the normalised orb of radius 50.
#include <vector>

#include "orb/ClothGrid.h"
#include "util/Vec.h"

namespace orb {

constexpr float kSimRadius = 50.f;

// Rest position of the particle of veil k at along a in [0, 1] and across v
// in [-1, 1].
Vec restPosition(const Params& p, int veil, float along, float across);

// Rest positions of every particle of the grid, veil by veil, row by row,
// column by column.
std::vector<Vec> restShape(const Params& p, const ClothGrid& grid);

}  // namespace orb
