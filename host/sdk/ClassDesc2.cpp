#include "host/sdk/ClassDesc2.h"

#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/LoadLog.h"
#include "host/sdk/ParamBlock2.h"

ClassDesc2::ClassDesc2() { host::recordLoad(host::LoadItem::ClassDescriptor, this, {}); }

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) { blocks_.push_back(pbd); }

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(short id) const {
  for (ParamBlockDesc2* b : blocks_)
    if (b->ID == id) return b;
  return nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByName(const MCHAR* name) const {
  for (ParamBlockDesc2* b : blocks_)
    if (name && b->int_name == name) return b;
  return nullptr;
}

void ClassDesc2::AddInterface(FPInterfaceDesc* fpi) { interfaces_.push_back(fpi); }

FPInterfaceDesc* ClassDesc2::GetInterface(const MCHAR* name) const {
  for (FPInterfaceDesc* d : interfaces_)
    if (name && d->internal_name == name) return d;
  return nullptr;
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
  for (ParamBlockDesc2* b : blocks_) {
    if (!(b->flags & P_AUTO_CONSTRUCT)) continue;
    owner->ReplaceReference(b->ref_no, new IParamBlock2(b, owner));
  }
}

void ClassDesc2::BeginEditParams(IObjParam*, ReferenceMaker* obj, ULONG, Animatable*) {
  open_.clear();
  edited_ = obj;
  for (ParamBlockDesc2* b : blocks_) {
    if (!(b->flags & P_AUTO_UI)) continue;
    for (const RolloutDef& r : b->Rollouts()) open_.push_back({b, r.map, r.titleId});
  }
}

void ClassDesc2::EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {
  open_.clear();
  edited_ = nullptr;
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd) {
  if (pbd) pbd->InvalidateUI();
}
