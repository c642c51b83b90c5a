#include "ink/material/InkMtl.h"

#include "plugin/ClassDescriptors.h"

InkMtl::InkMtl() { GetInkMtlDesc()->MakeAutoParamBlocks(this); }

Class_ID InkMtl::ClassID() { return GetInkMtlDesc()->ClassID(); }

void InkMtl::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Ink Material"); }

BaseInterface* InkMtl::GetInterface(Interface_ID id) {
  if (id == INK_MATERIAL_INTERFACE_ID) return static_cast<IInkMaterial*>(this);
  return Mtl::GetInterface(id);
}

ReferenceTarget* InkMtl::Clone(RemapDir& remap) {
  auto* copy = new InkMtl();
  copy->SetName(GetName());
  return CloneBlockInto(copy, remap);
}

RefResult InkMtl::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    GetInkMtlParamBlockDesc()->InvalidateUI();
  }
  return REF_SUCCEED;
}

Interval InkMtl::Validity(TimeValue) { return ivalid.Empty() ? FOREVER : ivalid; }
