#pragma once
// UV spheres for the glass shell, its inner wall and the haze.
#include "orb/OrbMeshBuffers.h"

namespace orb {

// Adds a sphere of s columns and s / 2 rings (at least 3), poles on Z, to the
// buffers. An inward sphere swaps each triangle's second and third vertex.
void addSphere(OrbMeshBuffers& out, float radius, int segments, std::int32_t material, std::int32_t smoothing,
               bool inward = false);

}  // namespace orb
