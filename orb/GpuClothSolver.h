#pragma once
// The veil cloth bake on the GPU: the same schedule and step as the CPU
// solver, all substeps launched without returning to the host, the 2F
// recorded frames copied back once.
#include <string>
#include <vector>

#include "orb/ClothGrid.h"
#include "orb/Params.h"
#include "util/Vec.h"

namespace orb {

// True with the 2F recorded frames and status "CUDA: <device> cloth solver"
// ("CUDA device cloth solver" when the name is unavailable). False with the
// reason in status: "CUDA unavailable", "CUDA: out of memory, CPU fallback"
// or the runtime's error text. One GPU bake at a time, process-wide; every
// device buffer is freed on every path.
bool recordClothGpu(const Params& p, const ClothGrid& grid, const std::vector<Vec>& rest, std::vector<Vec>& recorded,
                    std::string& status);

}  // namespace orb
