#include "ink/SceneTriangleGathering.h"

#include "common/NodeTriMesh.h"
#include "host/sdk/Material.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SimGathering.h"
#include "ink/SurfaceFaces.h"

namespace ink {

namespace {
orb::Vec colourOf(const Color& c) { return {c.r, c.g, c.b}; }

// Calls visit(node) for the visible nodes of a node list.
template <class Visit>
void forEachVisibleNode(IParamBlock2& pb, ParamID list, TimeValue t, Visit&& visit) {
  for (int k = 0; k < pb.Count(list); ++k) {
    INode* node = pb.GetINode(list, t, k);
    if (node && !node->IsNodeHidden()) visit(*node);
  }
}

// The colour a face of `node` shows: its material's diffuse colour (a
// multi-material's sub-material by face id), else the wire colour.
orb::Vec faceColour(INode& node, int materialId) {
  Mtl* mtl = node.GetMtl();
  if (!mtl) {
    const DWORD wire = node.GetWireColor();
    return {GetRValue(wire) / 255.f, GetGValue(wire) / 255.f, GetBValue(wire) / 255.f};
  }
  if (const int subs = mtl->NumSubMtls(); subs > 0)
    if (Mtl* sub = mtl->GetSubMtl(materialId % subs)) return colourOf(sub->GetDiffuse());
  return colourOf(mtl->GetDiffuse());
}

}  // namespace

std::vector<SceneTriangle> gatherSceneTriangles(IParamBlock2& pb, INode* inkNode, TimeValue t) {
  std::vector<SceneTriangle> triangles;
  const Matrix3 toInk = worldToInk(inkNode, t);
  for (const auto& [list, kind] : {std::pair{param::sceneObjects, 0.f}, {param::shadowCatchers, 1.f}})
    forEachVisibleNode(pb, list, t, [&](INode& node) {
      const common::NodeTriMesh mesh(node, t);
      forEachSurfaceFace(mesh, node.GetObjectTM(t) * toInk,
                         [&](std::size_t f, const Point3& a, const Point3& b, const Point3& c) {
                           if (triangles.size() >= kMaxSceneTriangles) return false;
                           const int id = mesh.mesh()->faces[f].getMatID();
                           triangles.push_back({inkVec(a), inkVec(b), inkVec(c), faceColour(node, id), kind});
                           return true;
                         });
    });
  return triangles;
}

std::vector<MatteTriangle> gatherMatteTriangles(IParamBlock2& pb, INode* inkNode, TimeValue t) {
  std::vector<MatteTriangle> triangles;
  const Matrix3 toInk = worldToInk(inkNode, t);
  for (const auto& [list, kind] : {std::pair{param::matteObjects, 1.f}, {param::occluderObjects, 0.f}})
    forEachVisibleNode(pb, list, t, [&](INode& node) {
      const common::NodeTriMesh mesh(node, t);
      mesh.forEachFace(node.GetObjectTM(t) * toInk, [&](std::size_t, const Point3& a, const Point3& b, const Point3& c) {
        if (triangles.size() >= kMaxMatteTriangles) return false;
        triangles.push_back({inkVec(a), inkVec(b), inkVec(c), kind});
        return true;
      });
    });
  return triangles;
}

}  // namespace ink
