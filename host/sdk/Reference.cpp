#include "host/sdk/Reference.h"

#include <algorithm>

#include "host/sdk/ParamBlock2.h"

IParamBlock2* Animatable::GetParamBlockByID(BlockID id) {
  for (int i = 0; i < NumParamBlocks(); ++i) {
    IParamBlock2* pb = GetParamBlock(i);
    if (pb && pb->ID() == id) return pb;
  }
  return nullptr;
}

ReferenceMaker::~ReferenceMaker() = default;

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newTarget, BOOL delOld) {
  if (which < 0 || which >= NumRefs()) return REF_FAIL;
  RefTargetHandle old = GetReference(which);
  if (old == newTarget) return REF_SUCCEED;
  if (newTarget) newTarget->AddDependent(this);
  SetReference(which, newTarget);
  if (old) {
    old->RemoveDependent(this);
    // Nodes belong to the scene, which deletes them; a maker letting go of
    // a node, even as its last dependent, leaves it in place.
    if (delOld && old->DependentCount() == 0 && old->SuperClassID() != BASENODE_CLASS_ID) old->DeleteThis();
  }
  return REF_SUCCEED;
}

void ReferenceMaker::DeleteAllRefsFromMe() {
  for (int i = 0; i < NumRefs(); ++i) ReplaceReference(i, nullptr);
}

void ReferenceMaker::TargetDeleted(RefTargetHandle target) {
  for (int i = 0; i < NumRefs(); ++i)
    if (GetReference(i) == target) SetReference(i, nullptr);
}

ReferenceTarget::~ReferenceTarget() {
  // Dependents may remove themselves while being told, so work on a copy.
  std::vector<ReferenceMaker*> deps;
  deps.swap(dependents_);
  for (ReferenceMaker* d : deps) d->TargetDeleted(this);
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker) { dependents_.push_back(maker); }

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker) {
  auto it = std::find(dependents_.begin(), dependents_.end(), maker);
  if (it != dependents_.end()) dependents_.erase(it);
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message) {
  std::vector<ReferenceMaker*> deps = dependents_;
  for (ReferenceMaker* d : deps) {
    PartID part = partID;
    if (d->NotifyRefChanged(changeInt, this, part, message, TRUE) == REF_STOP) return REF_STOP;
  }
  return REF_SUCCEED;
}

void ReferenceTarget::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
  if (from && to) remap.AddEntry(from, to);
}

ReferenceTarget* RemapDir::CloneRef(ReferenceTarget* original) {
  if (!original) return nullptr;
  if (ReferenceTarget* known = FindMapping(original)) return known;
  ReferenceTarget* clone = original->Clone(*this);
  if (clone) clones_[original] = clone;
  return clone;
}

ReferenceTarget* RemapDir::FindMapping(ReferenceTarget* original) const {
  auto it = clones_.find(original);
  return it == clones_.end() ? nullptr : it->second;
}
