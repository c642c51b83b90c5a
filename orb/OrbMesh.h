#pragma once
// The orb's whole mesh for one time: shell, inner wall, haze and veils.
#include "orb/OrbMeshBuffers.h"
#include "orb/Params.h"
#include "orb/VeilCache.h"
#include "orb/VeilMesh.h"

namespace orb {

// Segment counts above 256 become 256, below 13 become 12.
int clampSegments(int segments);

// Builds into `out` (cleared first) at scene time tau seconds. The veils are
// left out unless the cache is complete.
void buildOrbMesh(const Params& p, const VeilCache& cache, double tau, int segments, OrbMeshBuffers& out,
                  VeilScratch& scratch);

}  // namespace orb
