#include "forces/VortexObject.h"

#include "plugin/ClassDescriptors.h"

VortexObject::VortexObject() { GetVortexDesc()->MakeAutoParamBlocks(this); }

Class_ID VortexObject::ClassID() { return GetVortexDesc()->ClassID(); }

void VortexObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Orb Vortex Force"); }

const MCHAR* VortexObject::GetObjectName(bool) const { return _M("Tessaron Orb Vortex Force"); }

ReferenceTarget* VortexObject::Clone(RemapDir& remap) {
  return CloneBlockInto(new VortexObject(), remap);
}

RefResult VortexObject::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    GetVortexParamBlockDesc()->InvalidateUI();
  }
  return REF_SUCCEED;
}

// Binding to objects arrives with the force field itself.
Modifier* VortexObject::CreateWSMMod(INode*) { return nullptr; }
