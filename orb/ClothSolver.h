#pragma once
// The veil cloth bake on the CPU: 4F frames of S substeps from the rest
// shape, 2F warm-up frames dropped, 2F recorded, then blended into a
// seamless loop of F frames.
#include <vector>

#include "orb/ClothGrid.h"
#include "orb/Params.h"
#include "util/Vec.h"

namespace orb {

// The 2F recorded frames (frame-major). threads = 0 uses every thread of the
// host pool, which also caps larger counts; the result does not depend on the
// thread count.
std::vector<Vec> recordClothCpu(const Params& p, const ClothGrid& grid, const std::vector<Vec>& rest, int threads = 0);

// out[i] = rec[F + i] (1 - i / F) + rec[i] (i / F): the last output frame
// leads into the first without a jump.
std::vector<Vec> blendLoop(const std::vector<Vec>& recorded, int frames, int particles);

}  // namespace orb
