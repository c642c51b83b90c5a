#pragma once
// Class descriptors: what the host asks of every plug-in class, and the
// automatic parameter blocks and rollouts built from registered descriptors.
#include <memory>
#include <vector>

#include "host/sdk/ClassIDs.h"
#include "host/sdk/Types.h"

class Interface;
class ReferenceMaker;
class Animatable;
class ParamBlockDesc2;
class FPInterfaceDesc;
class IParamMap2;
using IObjParam = Interface;

class ClassDesc {
 public:
  virtual ~ClassDesc() = default;
  virtual int IsPublic() = 0;
  virtual void* Create(BOOL loading = FALSE) = 0;
  virtual const MCHAR* ClassName() = 0;
  virtual const MCHAR* NonLocalizedClassName() = 0;
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() = 0;
  virtual const MCHAR* Category() = 0;
  virtual const MCHAR* InternalName() { return nullptr; }
  virtual HINSTANCE HInstance() { return nullptr; }
  virtual int BeginCreate(Interface* i) { (void)i; return 0; }
  virtual int EndCreate(Interface* i) { (void)i; return 0; }
  virtual BOOL OkToCreate(Interface* i) { (void)i; return TRUE; }
  virtual int NumActionTables() { return 0; }
  virtual BOOL HasClassParams() { return FALSE; }
  virtual int NumManipulators() { return 0; }
  virtual DWORD InitialRollupPageState() { return 0x7FFFFFFF; }
};

// An open rollout of the command panel (stand-in for the rollup window).
struct OpenRollout {
  ParamBlockDesc2* block;
  short map;
  int titleId;
  IParamMap2* paramMap;  // owned by the descriptor while open
};

class ClassDesc2 : public ClassDesc {
 public:
  ClassDesc2();
  ~ClassDesc2() override;

  void AddParamBlockDesc(ParamBlockDesc2* pbd);
  int NumParamBlockDescs() const { return static_cast<int>(blocks_.size()); }
  ParamBlockDesc2* GetParamBlockDesc(int i) const { return blocks_[i]; }
  ParamBlockDesc2* GetParamBlockDescByID(short id) const;
  ParamBlockDesc2* GetParamBlockDescByName(const MCHAR* name) const;

  void AddInterface(FPInterfaceDesc* fpi);
  int NumInterfaces() const { return static_cast<int>(interfaces_.size()); }
  FPInterfaceDesc* GetInterfaceAt(int i) const { return interfaces_[i]; }
  FPInterfaceDesc* GetInterface(const MCHAR* name) const;

  // Builds and references every auto-constructed block of the owner.
  void MakeAutoParamBlocks(ReferenceMaker* owner);
  // Opens (closes) the auto-UI rollouts of every block with the owner's values.
  void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev);
  void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next);
  void InvalidateUI(ParamBlockDesc2* pbd);
  const std::vector<OpenRollout>& OpenRollouts() const { return open_; }
  // The open rollout of a block's map, or null.
  IParamMap2* GetParamMap(ParamBlockDesc2* pbd, short map) const;
  ReferenceMaker* EditedObject() const { return edited_; }

 private:
  std::vector<ParamBlockDesc2*> blocks_;
  std::vector<FPInterfaceDesc*> interfaces_;
  std::vector<OpenRollout> open_;
  std::vector<std::unique_ptr<IParamMap2>> maps_;
  ReferenceMaker* edited_ = nullptr;
};
