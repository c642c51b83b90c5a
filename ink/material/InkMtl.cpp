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
  copy->ReplaceReference(0, remap.CloneRef(pblock2));
  copy->SetName(GetName());
  BaseClone(this, copy, remap);
  return copy;
}

RefResult InkMtl::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    GetInkMtlParamBlockDesc()->InvalidateUI();
  }
  return REF_SUCCEED;
}

Interval InkMtl::Validity(TimeValue) { return ivalid.Empty() ? FOREVER : ivalid; }

void InkMtl::SetReference(int i, RefTargetHandle target) {
  if (i != 0) return;
  pblock2 = dynamic_cast<IParamBlock2*>(target);
  if (pblock2 && !pblock2->GetOwner()) pblock2->SetOwner(this);
}
