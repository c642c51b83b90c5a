#pragma once
// The density volume of the VDB export and the PRT normals: every source
// streamed through a trilinear grid splat into an r³ grid centred on the
// ink object's origin, copied to the host.
#include <string>
#include <vector>

#include "ink/sim/Chunk.h"

namespace ink {

// Under the GPU lock. `out` receives r³ floats of mass per unit volume, cell
// (i, j, k) at (k × r + j) × r + i, spanning ±halfExtent. False with
// "GPU out of memory for a <r>^3 grid", "not enough system memory for the
// grid" or a failing source's own text.
bool buildDensityGrid(const std::vector<ChunkSource>& sources, const std::vector<float>& weights, float halfExtent,
                      int r, std::vector<float>& out, std::string& status);

}  // namespace ink
