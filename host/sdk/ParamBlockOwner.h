#pragma once
// The common shape of host objects that keep their settings in one
// parameter block held as reference 0.
#include "host/sdk/ParamBlock2.h"

template <class Base>
class ParamBlockOwner : public Base {
 public:
  IParamBlock2* pblock2 = nullptr;

  ~ParamBlockOwner() override { this->DeleteAllRefsFromMe(); }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? pblock2 : nullptr; }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock2 : nullptr; }

 protected:
  void SetReference(int i, RefTargetHandle target) override {
    if (i != 0) return;
    pblock2 = dynamic_cast<IParamBlock2*>(target);
    if (pblock2 && !pblock2->GetOwner()) pblock2->SetOwner(this);
  }
  // Finishes a clone: the copy gets a clone of this block.
  template <class T>
  T* CloneBlockInto(T* copy, RemapDir& remap) {
    copy->ReplaceReference(0, remap.CloneRef(pblock2));
    this->BaseClone(this, copy, remap);
    return copy;
  }
};
