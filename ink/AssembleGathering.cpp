#include "ink/AssembleGathering.h"

#include <algorithm>
#include <cmath>

#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SimGathering.h"
#include "orb/OrbClassId.h"

namespace ink {

namespace {
// The host's own sphere primitive.
constexpr Class_ID kHostSphereClassId{0x11, 0};


bool shapeOf(INode& node, TimeValue t, const Matrix3& toInk, AssembleShape& shape) {
  Object* obj = node.EvalWorldState(t).obj;
  if (!obj) return false;
  Box3 box;
  obj->GetDeformBBox(t, box);  // local space
  if (box.IsEmpty()) return false;
  const Matrix3 local = node.GetObjectTM(t) * toInk;
  const Point3 half = (box.pmax - box.pmin) * 0.5f;
  shape.centre = inkVec(box.Center() * local);
  for (int k = 0; k < 3; ++k) shape.axis[k] = inkVec(local.GetRow(k) * half[k]);
  const Class_ID id = obj->ClassID();
  shape.ellipsoid = id == kHostSphereClassId || id == kOrbClassId ? 1 : 0;
  return true;
}
}  // namespace

AssembleParams assembleRecord(IParamBlock2& pb, INode* inkNode, TimeValue t) {
  namespace pid = param;
  AssembleParams a{};
  a.on = pb.GetInt(pid::assembleOn, t) != 0 ? 1 : 0;
  a.progress = pb.GetFloat(pid::assembleProgress, t);
  a.spread = pb.GetFloat(pid::assembleSpread, t);
  a.turns = pb.GetFloat(pid::assembleTurns, t);
  a.arc = pb.GetFloat(pid::assembleArc, t);
  a.noise = pb.GetFloat(pid::assembleNoise, t);
  a.smoke = pb.GetFloat(pid::assembleSmoke, t);
  a.smokeScale = pb.GetFloat(pid::assembleSmokeScale, t);
  a.time = secondsAt(t);
  a.radius = pb.GetFloat(pid::radius, t);
  a.seedMix = static_cast<std::int32_t>(static_cast<std::uint32_t>(pb.GetInt(pid::seed, t)) * 7919u + 13u);
  // Evaluating a source node may evaluate an ink object that gathers its own
  // record (the ink node itself, or an ink object that names this one): such
  // a nested gathering finds no shapes, so the cycle ends there.
  thread_local bool gathering = false;
  if (gathering) return a;
  gathering = true;
  struct Done {
    ~Done() { gathering = false; }
  } done;
  const Matrix3 toInk = worldToInk(inkNode, t);
  for (ParamID source : {pid::assembleSource1, pid::assembleSource2})
    if (INode* node = pb.GetINode(source, t); node && node != inkNode && shapeOf(*node, t, toInk, a.shape[a.shapeCount]))
      ++a.shapeCount;
  return a;
}

float assembleShapesReach(const AssembleParams& a) {
  float reach = 0.f;
  for (int s = 0; s < a.shapeCount; ++s)
    for (int corner = 0; corner < 8; ++corner) {
      orb::Vec p = a.shape[s].centre;
      for (int k = 0; k < 3; ++k) p = p + a.shape[s].axis[k] * ((corner >> k) & 1 ? 1.f : -1.f);
      reach = std::max({reach, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
    }
  return reach;
}

}  // namespace ink
