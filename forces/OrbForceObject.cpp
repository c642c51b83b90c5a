#include "forces/OrbForceObject.h"

#include "plugin/ClassDescriptors.h"

OrbForceObject::OrbForceObject() { GetOrbForceDesc()->MakeAutoParamBlocks(this); }

Class_ID OrbForceObject::ClassID() { return GetOrbForceDesc()->ClassID(); }

void OrbForceObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Orb Particle Force"); }

const MCHAR* OrbForceObject::GetObjectName(bool) const { return _M("Tessaron Orb Particle Force"); }

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

// Binding to objects arrives with the force field itself.
Modifier* OrbForceObject::CreateWSMMod(INode*) { return nullptr; }
