#pragma once
// The viewport icon shared by both space warps: an octahedron of half size
// c, and for the Vortex Force a small tetrahedron at each vortex axis.
#include "host/sdk/Mesh.h"
#include "util/Vec.h"

namespace forces {

// Replaces `mesh` with the octahedron and one marker per axis at size * axis.
void buildWarpIcon(Mesh& mesh, float size, const orb::Vec* axes = nullptr, int axisCount = 0);

}  // namespace forces
