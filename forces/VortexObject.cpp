#include "forces/VortexObject.h"

#include "common/CentreRadiusCreate.h"
#include "common/FixedClassDesc.h"
#include "host/sdk/Node.h"

const WarpClass VortexObject::kClass = {
    .classDesc = GetVortexDesc,
    .blockDesc = GetVortexParamBlockDesc,
    .bindingClassID = VORTEX_MOD_CLASS_ID,
    .bindingName = _M("Tessaron Orb Vortex Force Binding"),
};

// The first click starts the icon at size 1, dragging sets the icon size and
// the sphere radius together.
CreateMouseCallBack* VortexObject::GetCreateMouseCallBack() {
  static CentreRadiusCreate callback(
      {.sized = {vortex::param::iconSize, vortex::param::radius}, .minimum = 0.01f, .placed = 1.f});
  return callback.For(pblock2);
}

void VortexObject::BlockChanged() {
  std::lock_guard lock(cacheMutex_);
  cacheValid_ = false;
}

// The icon marks the vortex axes at t, seen from the warp's own node.
void VortexObject::BuildMesh(TimeValue t) {
  ivalid.SetInstant(t);
  INode* node = OwnNode(this);
  vortex::VortexEval e;
  vortex::readVortexEval(*pblock2, t, node ? Inverse(node->GetNodeTM(t)) : Matrix3(), e);
  forces::buildWarpIcon(mesh, e.iconSize, e.axes, e.axisCount);
}

Point3 VortexObject::WorldForce(INode* node, TimeValue t, const Point3& pos, const Point3& vel, int index) {
  const auto state = EvaluateAt(node, t);
  const Point3 local = vortex::localVortexForce(state->set, pos * state->inverseNodeTM, index,
                                                static_cast<float>(t) / TIME_TICKSPERSEC);
  return VectorTransform(state->nodeTM, local) * state->eval.responseScale - vel * state->eval.drag;
}

std::shared_ptr<const VortexObject::Evaluated> VortexObject::EvaluateAt(INode* node, TimeValue t) {
  std::lock_guard lock(cacheMutex_);
  if (cacheValid_ && cacheTime_ == t && cacheNode_ == node) return cache_;
  auto fresh = std::make_shared<Evaluated>();
  if (node) {
    fresh->nodeTM = node->GetNodeTM(t);
    fresh->inverseNodeTM = Inverse(fresh->nodeTM);
  }
  vortex::readVortexEval(*pblock2, t, fresh->inverseNodeTM, fresh->eval);
  vortex::prepareVortexSet(fresh->eval, fresh->set);
  cache_ = std::move(fresh);
  cacheNode_ = node;
  cacheTime_ = t;
  cacheValid_ = true;
  return cache_;
}

bool sampleVortexForce(INode* node, TimeValue t, swirl::Frame& frame, Matrix3& nodeTM) {
  if (!node) return false;
  Object* obj = node->GetObjectRef();
  if (!obj || obj->ClassID() != VORTEX_CLASS_ID) return false;
  auto* warp = dynamic_cast<VortexObject*>(obj);
  if (!warp || !warp->pblock2) return false;
  const Matrix3 tm = node->GetNodeTM(t);
  vortex::VortexEval e;
  vortex::readVortexEval(*warp->pblock2, t, Inverse(tm), e);
  vortex::fillSwirlFrame(e, frame);
  nodeTM = tm;
  return true;
}

ClassDesc2* GetVortexDesc() {
  return common::classDescOf<VortexObject>(
      {_M("Tessaron Orb Vortex Force"), _M("TessaronOrbVortexForce"), _M("TessaronFX"),
       WSM_OBJECT_CLASS_ID, VORTEX_CLASS_ID});
}
