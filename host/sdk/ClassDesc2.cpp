#include "host/sdk/ClassDesc2.h"

#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/LoadLog.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/ParamMap2.h"

ClassDesc2::ClassDesc2() { host::recordLoad(host::LoadItem::ClassDescriptor, this, {}); }

ClassDesc2::~ClassDesc2() = default;

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
  maps_.clear();
  edited_ = obj;
  for (ParamBlockDesc2* b : blocks_) {
    if (!(b->flags & P_AUTO_UI)) continue;
    IParamBlock2* block = obj ? obj->GetParamBlockByID(b->ID) : nullptr;
    for (const RolloutDef& r : b->Rollouts()) {
      maps_.push_back(std::make_unique<IParamMap2>(block, r.map, b->GetUserDlgProc(r.map)));
      open_.push_back({b, r.map, r.titleId, maps_.back().get()});
    }
  }
}

void ClassDesc2::EndEditParams(IObjParam*, ReferenceMaker*, ULONG, Animatable*) {
  open_.clear();
  maps_.clear();
  edited_ = nullptr;
}

IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2* pbd, short map) const {
  for (const OpenRollout& r : open_)
    if (r.block == pbd && r.map == map) return r.paramMap;
  return nullptr;
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd) {
  if (!pbd) return;
  pbd->InvalidateUI();
  for (const OpenRollout& r : open_)
    if (r.block == pbd) r.paramMap->Invalidate();
}
