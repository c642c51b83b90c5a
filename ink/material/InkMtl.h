#pragma once
// The ink material: ink looks (absorption, scatter, emission, colour maps,
// falloff) that scene objects and the ink object carry. The ink object
// reads the parameters through IInkMaterial; the host's renderers see a
// simple lit colour.
#include "host/sdk/ClassDesc2.h"
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

// The two map slots (0 colour map, 1 emission map) are the material's
// ISubMap part, which every host material carries.
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

  // Map slots.
  int NumSubTexmaps() override { return 2; }
  Texmap* GetSubTexmap(int i) override;
  void SetSubTexmap(int i, Texmap* m) override;
  MSTR GetSubTexmapSlotName(int i, bool localized = true) override;

  // Host queries, answered from the values read by the last Update.
  void Update(TimeValue t, Interval& valid) override;
  Interval Validity(TimeValue t) override;
  void Reset() override;
  Color GetAmbient(int mtlNum = 0, BOOL backFace = FALSE) override;
  Color GetDiffuse(int mtlNum = 0, BOOL backFace = FALSE) override;
  float GetXParency(int mtlNum = 0, BOOL backFace = FALSE) override;
  BOOL GetSelfIllumColorOn(int mtlNum = 0, BOOL backFace = FALSE) override;
  Color GetSelfIllumColor(int mtlNum = 0, BOOL backFace = FALSE) override;
  void Shade(ShadeContext& sc) override;

 private:
  // The parameters the host queries use, read at one time.
  struct Look {
    Color base{1, 1, 1};
    Color emission;  // emission colour x amount
    float opacity = 1;
    float colorStrength = 1;
    float ambient = 0;
  };
  void readLook(TimeValue t);
  const Look& look();

  Look look_;
  Interval ivalid;  // where look_ holds; empty: read again
};

// The class's descriptor, built on first use.
ClassDesc2* GetInkMtlDesc();
ParamBlockDesc2* GetInkMtlParamBlockDesc();

namespace inkmtl {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace inkmtl
