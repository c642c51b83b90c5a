#pragma once
// The glass orb: a procedural object with a glass shell, a haze sphere and
// silk veils, its "iridel" scripting interface and its per-node display.
#include "host/sdk/ClassDesc2.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Object.h"
#include "host/sdk/StringTable.h"
#include "orb/OrbMeshBuffers.h"
#include "orb/OrbParams.h"
#include "orb/VeilCache.h"
#include "orb/VeilMesh.h"
#include "orb/VeilSources.h"

inline constexpr Interface_ID ORB_FP_INTERFACE_ID{0x6C1D3A2F, 0x58B9E047};

// Scripting interface "iridel".
class OrbFPInterface : public FPMixinInterface {
 public:
  enum FunctionId : FunctionID { kSolverStatus = 0 };
  virtual MSTR SolverStatus() = 0;
  FPInterfaceDesc* GetDesc() override;

 protected:
  FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) override;
};

namespace tsorb {
class MarkItem;
}

class OrbObject : public SimpleObject2, public OrbFPInterface, public MaxSDK::Graphics::IObjectDisplay2 {
 public:
  OrbObject();
  ~OrbObject() override;

  Class_ID ClassID() override;
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  CreateMouseCallBack* GetCreateMouseCallBack() override;
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;
  BaseInterface* GetInterface(Interface_ID id) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;

  void BuildMesh(TimeValue t) override;
  void InvalidateUI() override;
  int RenderBegin(TimeValue t, ULONG flags = 0) override;
  int RenderEnd(TimeValue t) override;
  bool Rendering() const { return rendering_; }

  const orb::VeilCache& Cache() const { return cache_; }
  const orb::VeilSourceSet& Sources() const { return sources_; }
  // Makes every following build fail inside, to exercise the failure path.
  static void SetBuildFailureForTesting(bool on);

  MSTR SolverStatus() override;
  bool PrepareDisplay(const MaxSDK::Graphics::UpdateDisplayContext& ctx) override;
  bool UpdatePerNodeItems(const MaxSDK::Graphics::UpdateDisplayContext& ctx,
                          MaxSDK::Graphics::UpdateNodeContext& nodeCtx,
                          MaxSDK::Graphics::IRenderItemContainer& items) override;
  // Legacy viewports: the mark lines with the node's transform.
  int Display(TimeValue t, INode* node, ViewExp* vpt, int flags) override;
  const tsorb::MarkItem* Mark() const { return mark_; }
  bool DisplayPrepared() const { return displayPrepared_; }

 private:
  bool rendering_ = false;
  orb::VeilCache cache_;
  orb::VeilSourceSet sources_;
  orb::OrbMeshBuffers buffers_;
  orb::VeilScratch scratch_;
  tsorb::MarkItem* mark_ = nullptr;  // one reference, released with the orb
  bool displayPrepared_ = false;
};

// The class's descriptor, built on first use.
ClassDesc2* GetOrbDesc();
ParamBlockDesc2* GetOrbParamBlockDesc();
FPInterfaceDesc* GetIridelInterfaceDesc();

namespace orb {
extern const host::StringEntry kOrbStrings[];
extern const int kOrbStringCount;
}  // namespace orb
