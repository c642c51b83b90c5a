#include "ink/SilkGathering.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "common/NodeTriMesh.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SimGathering.h"
#include "ink/SurfaceFaces.h"

namespace ink {

namespace {

bool noCloth(std::string& status) {
  status = "silk: pick a cloth source (an Iridel object or a UV mesh)";
  return false;
}

// The face's texture corners: map channel 1 when the mesh has a texture face
// with valid indices for it, else the unit corners.
void textureCorners(const Mesh& mesh, std::size_t face, SilkTri& tri) {
  float uv[6] = {0.f, 0.f, 1.f, 0.f, 0.f, 1.f};
  if (mesh.tvFace.size() == mesh.faces.size()) {
    const TVFace& tv = mesh.tvFace[face];
    const std::size_t n = mesh.tVerts.size();
    if (tv.t[0] < n && tv.t[1] < n && tv.t[2] < n)
      for (int k = 0; k < 3; ++k) {
        uv[2 * k] = mesh.tVerts[tv.t[k]].x;
        uv[2 * k + 1] = mesh.tVerts[tv.t[k]].y;
      }
  }
  tri.a0 = uv[0];
  tri.b0 = uv[1];
  tri.a1 = uv[2];
  tri.b1 = uv[3];
  tri.a2 = uv[4];
  tri.b2 = uv[5];
}
}  // namespace

bool SampleSilk(IParamBlock2& pb, INode* inkNode, TimeValue t, std::int64_t count, SilkParams& params,
                std::vector<SilkTri>& triangles, std::string& status) {
  namespace pid = param;
  INode* node = pb.GetINode(pid::silkSource, t);
  if (!node) return noCloth(status);
  std::vector<SilkTri> gathered;
  try {
    const common::NodeTriMesh cloth(*node, t);
    forEachSurfaceFace(cloth, node->GetObjectTM(t) * worldToInk(inkNode, t),
                       [&](std::size_t f, const Point3& a, const Point3& b, const Point3& c) {
                         SilkTri tri{};
                         tri.q0 = inkVec(a);
                         tri.q1 = inkVec(b);
                         tri.q2 = inkVec(c);
                         textureCorners(*cloth.mesh(), f, tri);
                         gathered.push_back(tri);
                         return true;
                       });
  } catch (const std::bad_alloc&) {
    status = "not enough system memory for the silk triangles";
    return false;
  }
  if (gathered.empty()) return noCloth(status);

  const float loop = std::max(pb.GetFloat(pid::loopSeconds, t), 0.1f);
  const double cycles = static_cast<double>(t) / TIME_TICKSPERSEC / loop;
  float phase = static_cast<float>(cycles - std::floor(cycles));
  if (!(phase < 1.f)) phase = 0.f;  // rounding up to 1 is the loop's start again

  SilkParams p{};
  p.count = count;
  p.seedMix = static_cast<std::int32_t>(17u - static_cast<std::uint32_t>(pb.GetInt(pid::seed, t)) * 1640531535u);
  p.thickness = pb.GetFloat(pid::silkThickness, t);
  p.wrinkle = pb.GetFloat(pid::silkWrinkle, t);
  p.wrinkleScale = pb.GetFloat(pid::silkWrinkleScale, t);
  p.wrinkleOctaves = pb.GetInt(pid::silkWrinkleDetail, t);
  p.loopPhase = phase;
  p.fray = pb.GetFloat(pid::silkFray, t);
  p.triangleCount = static_cast<std::int32_t>(std::min<std::size_t>(gathered.size(), 0x7FFFFFFF));
  params = p;
  triangles = std::move(gathered);
  return true;
}

}  // namespace ink
