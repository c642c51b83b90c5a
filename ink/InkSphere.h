#pragma once
// The ink object's viewport sphere: a UV sphere whose wireframe shows 31
// rings and 64 meridians.
#include "host/sdk/Mesh.h"

namespace ink {

inline constexpr int kSphereRings = 31;      // between the poles
inline constexpr int kSphereMeridians = 64;  // vertices per ring
inline constexpr int kSphereVertexCount = 2 + kSphereRings * kSphereMeridians;            // 1,986
inline constexpr int kSphereFaceCount = 2 * kSphereMeridians * kSphereRings;             // 3,968

// Vertex 0 is the north pole (0, 0, r), then the rings from north to south,
// then the south pole. Each ring and meridian segment is the visible edge
// of exactly one face; the quads' diagonals are invisible.
void buildViewportSphere(float r, Mesh& mesh);

}  // namespace ink
