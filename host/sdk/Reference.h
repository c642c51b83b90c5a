#pragma once
// Animatables and the reference system: makers hold references to targets,
// targets tell their dependents about changes with messages.
#include <map>
#include <vector>

#include "host/sdk/ClassIDs.h"
#include "host/sdk/Time.h"
#include "host/sdk/Types.h"

class ReferenceTarget;
class IParamBlock2;
class BaseInterface;
using RefTargetHandle = ReferenceTarget*;
using RefMessage = unsigned int;
using PartID = unsigned long long;
using BlockID = short;

constexpr RefMessage REFMSG_CHANGE = 0x000000A0;
constexpr RefMessage REFMSG_TARGET_DELETED = 0x00000020;
constexpr PartID PART_ALL = 0xFFFFFFFFull;

enum RefResult { REF_FAIL = 0, REF_SUCCEED = 1, REF_DONTCARE = 2, REF_STOP = 3 };

class BaseInterface {
 public:
  virtual ~BaseInterface() = default;
  virtual Interface_ID GetID() const = 0;
};

class Animatable {
 public:
  virtual ~Animatable() = default;
  virtual Class_ID ClassID() { return Class_ID(0, 0); }
  virtual SClass_ID SuperClassID() { return 0; }
  virtual void GetClassName(MSTR& s, bool localized = true) const { (void)localized; s.clear(); }
  virtual BaseInterface* GetInterface(Interface_ID id) { (void)id; return nullptr; }
  virtual int NumParamBlocks() { return 0; }
  virtual IParamBlock2* GetParamBlock(int i) { (void)i; return nullptr; }
  virtual IParamBlock2* GetParamBlockByID(BlockID id);
  // Sub-anims: the animatable children shown in track views.
  virtual int NumSubs() { return 0; }
  virtual Animatable* SubAnim(int i) { (void)i; return nullptr; }
  virtual MSTR SubAnimName(int i, bool localized = true) { (void)i; (void)localized; return MSTR(); }
  virtual void DeleteThis() { delete this; }
};

class ReferenceMaker : public Animatable {
 public:
  ~ReferenceMaker() override;
  virtual int NumRefs() { return 0; }
  virtual RefTargetHandle GetReference(int i) { (void)i; return nullptr; }

  // Points reference slot `which` at a new target. The old target loses this
  // dependent and, when delOld is set and no dependent is left, is deleted,
  // unless it is a scene node: the scene owns its nodes.
  RefResult ReplaceReference(int which, RefTargetHandle newTarget, BOOL delOld = TRUE);
  // Drops every reference this maker holds (call from the destructor of the
  // class that owns the slots).
  void DeleteAllRefsFromMe();

  virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                     RefMessage message, BOOL propagate) = 0;
  // A target this maker refers to is being deleted: forget it.
  virtual void TargetDeleted(RefTargetHandle target);

 protected:
  virtual void SetReference(int i, RefTargetHandle target) { (void)i; (void)target; }
  friend class ReferenceTarget;
};

class RemapDir;

class ReferenceTarget : public ReferenceMaker {
 public:
  ~ReferenceTarget() override;
  RefResult NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message);
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }
  virtual ReferenceTarget* Clone(RemapDir& remap) { (void)remap; return nullptr; }
  // Copies the state every target shares (none in the stand-in beyond
  // recording the pair in the remap directory).
  void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);
  int DependentCount() const { return static_cast<int>(dependents_.size()); }
  const std::vector<ReferenceMaker*>& Dependents() const { return dependents_; }
  void AddDependent(ReferenceMaker* maker);
  void RemoveDependent(ReferenceMaker* maker);

 private:
  std::vector<ReferenceMaker*> dependents_;
};

// Maps originals to their clones while a group of targets is cloned.
class RemapDir {
 public:
  ReferenceTarget* CloneRef(ReferenceTarget* original);
  void AddEntry(ReferenceTarget* original, ReferenceTarget* clone) { clones_[original] = clone; }
  ReferenceTarget* FindMapping(ReferenceTarget* original) const;

 private:
  std::map<ReferenceTarget*, ReferenceTarget*> clones_;
};
