#pragma once
// The faces of a scene mesh that ink lies on and the renderer shows: of a
// glass orb only its veils (its shell and haze are drawn by the renderer's
// own glass), of anything else every face.
#include "common/NodeTriMesh.h"
#include "host/sdk/Matrix3.h"
#include "orb/OrbClassId.h"
#include "orb/OrbMeshBuffers.h"

namespace ink {

// Calls visit(face index, corner 0, corner 1, corner 2), corners mapped
// through `toSpace`, for those faces of `mesh`; visit returns false to stop.
template <class Visit>
void forEachSurfaceFace(const common::NodeTriMesh& mesh, const Matrix3& toSpace, Visit&& visit) {
  const bool orb = mesh.object() && mesh.object()->ClassID() == kOrbClassId;
  mesh.forEachFace(toSpace, [&](std::size_t f, const Point3& a, const Point3& b, const Point3& c) {
    const MtlID id = mesh.mesh()->faces[f].getMatID();
    if (orb && id != orb::kVeilFront && id != orb::kVeilBack) return true;
    return visit(f, a, b, c);
  });
}

}  // namespace ink
