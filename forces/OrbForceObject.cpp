#include "forces/OrbForceObject.h"

#include "forces/OrbForceCreate.h"
#include "forces/OrbForceField.h"
#include "forces/OrbForceMod.h"
#include "forces/WarpIcon.h"

#include "plugin/ClassDescriptors.h"

OrbForceObject::OrbForceObject() { GetOrbForceDesc()->MakeAutoParamBlocks(this); }

Class_ID OrbForceObject::ClassID() { return GetOrbForceDesc()->ClassID(); }

void OrbForceObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Orb Particle Force"); }

const MCHAR* OrbForceObject::GetObjectName(bool) const { return _M("Tessaron Orb Particle Force"); }

CreateMouseCallBack* OrbForceObject::GetCreateMouseCallBack() {
  static OrbForceCreate callback;
  callback.SetBlock(pblock2);
  return &callback;
}

ReferenceTarget* OrbForceObject::Clone(RemapDir& remap) {
  return CloneBlockInto(new OrbForceObject(), remap);
}

RefResult OrbForceObject::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    GetOrbForceParamBlockDesc()->InvalidateUI();
  }
  return REF_SUCCEED;
}

void OrbForceObject::BuildMesh(TimeValue t) {
  ivalid.SetInstant(t);
  forces::buildWarpIcon(mesh, pblock2->GetFloat(orbforce::param::iconSize, t));
}

Modifier* OrbForceObject::CreateWSMMod(INode* node) { return new OrbForceMod(node, this); }

ForceField* OrbForceObject::GetForceField(INode* node) { return new OrbForceField(this, node); }
