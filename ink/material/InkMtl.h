#pragma once
// The ink material: ink looks (absorption, scatter, emission, colour maps,
// falloff) that scene objects and the ink object carry.
#include "host/sdk/Material.h"
#include "host/sdk/ParamBlockOwner.h"
#include "host/sdk/StringTable.h"
#include "ink/material/InkMtlParams.h"

inline constexpr Interface_ID INK_MATERIAL_INTERFACE_ID{0x6C1F2A95, 0x4E7B3D18};

// What the ink object asks of a material to read its ink settings.
class IInkMaterial : public BaseInterface {
 public:
  Interface_ID GetID() const override { return INK_MATERIAL_INTERFACE_ID; }
  // The material's "InkMaterialParameters" block, valid for one evaluation.
  virtual IParamBlock2* GetInkParamBlock() = 0;
};

class InkMtl : public ParamBlockOwner<Mtl>, public IInkMaterial {
 public:
  InkMtl();

  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool localized = true) const override;
  BaseInterface* GetInterface(Interface_ID id) override;
  IParamBlock2* GetInkParamBlock() override { return pblock2; }
  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;
  Interval Validity(TimeValue t) override;

 private:
  Interval ivalid;
};

ParamBlockDesc2* GetInkMtlParamBlockDesc();

namespace inkmtl {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace inkmtl
