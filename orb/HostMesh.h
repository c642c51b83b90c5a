#pragma once
// Hands the built orb mesh to the host's mesh.
#include "orb/OrbMeshBuffers.h"

class Mesh;

namespace orb {

// Vertices, faces (all edges visible, material id and smoothing group from
// the triangle), one texture vertex per face corner and one grey vertex
// colour per vertex. Sphere faces that straddle the texture seam get their
// low u corners moved past 1 so the texture does not wrap back across them.
void copyToHostMesh(const OrbMeshBuffers& in, Mesh& mesh);

}  // namespace orb
