#include "forces/VortexObject.h"

#include "forces/VortexCreate.h"
#include "forces/VortexField.h"
#include "forces/VortexMod.h"
#include "forces/WarpIcon.h"
#include "host/sdk/Node.h"
#include "plugin/ClassDescriptors.h"

VortexObject::VortexObject() { GetVortexDesc()->MakeAutoParamBlocks(this); }

Class_ID VortexObject::ClassID() { return GetVortexDesc()->ClassID(); }

void VortexObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Orb Vortex Force"); }

const MCHAR* VortexObject::GetObjectName(bool) const { return _M("Tessaron Orb Vortex Force"); }

CreateMouseCallBack* VortexObject::GetCreateMouseCallBack() {
  static VortexCreate callback;
  callback.SetBlock(pblock2);
  return &callback;
}

ReferenceTarget* VortexObject::Clone(RemapDir& remap) {
  return CloneBlockInto(new VortexObject(), remap);
}

RefResult VortexObject::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    GetVortexParamBlockDesc()->InvalidateUI();
    std::lock_guard lock(cacheMutex_);
    cacheValid_ = false;
  }
  return REF_SUCCEED;
}

// The icon marks the vortex axes at t, seen from the warp's own node.
void VortexObject::BuildMesh(TimeValue t) {
  ivalid.SetInstant(t);
  INode* node = OwnNode();
  vortex::VortexEval e;
  vortex::readVortexEval(*pblock2, t, node ? Inverse(node->GetNodeTM(t)) : Matrix3(), e);
  forces::buildWarpIcon(mesh, e.iconSize, e.axes, e.axisCount);
}

Modifier* VortexObject::CreateWSMMod(INode* node) { return new VortexMod(node, this); }

ForceField* VortexObject::GetForceField(INode* node) { return new VortexField(this, node); }

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
