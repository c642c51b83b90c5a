#pragma once
// The ink object: a particle system standing for one orb full of ink, with
// the "orbInk" scripting interface through which scripts start renders and
// exports.
#include <string>

#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Particle.h"
#include "host/sdk/StringTable.h"

class INode;
inline constexpr Interface_ID ORB_INK_INTERFACE_ID{0x3B5D1E7A, 0x7C24F860};

// Scripting interface "orbInk".
class InkFP : public FPMixinInterface {
 public:
  enum FunctionId : FunctionID {
    kInkStatus = 0,
    kRenderFrame,
    kRenderSequence,
    kExportPRT,
    kFreeGPU,
    kGpuCapacityMillions,
    kExportVDB,
    kRenderOver,
  };
  virtual MSTR InkStatus() = 0;
  virtual bool RenderFrame(INode* camera, int frame, const MSTR& file, int width, int height) = 0;
  virtual int RenderSequence(INode* camera, int start, int end, const MSTR& pattern, int width, int height) = 0;
  virtual int ExportPRT(int start, int end, const MSTR& pattern) = 0;
  virtual bool FreeGPU() = 0;
  virtual float GpuCapacityMillions() = 0;
  virtual int ExportVDB(int start, int end, const MSTR& pattern, int resolution) = 0;
  virtual bool RenderOver(INode* camera, int frame, const MSTR& background, const MSTR& file) = 0;
  FPInterfaceDesc* GetDesc() override;

 protected:
  FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) override;
};

class InkObject : public SimpleParticle, public InkFP {
 public:
  InkObject();

  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  BaseInterface* GetInterface(Interface_ID id) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;

  void UpdateParticles(TimeValue t, INode* node) override;
  void BuildEmitter(TimeValue t, Mesh& amesh) override;
  Interval GetValidity(TimeValue t) override;

  MSTR InkStatus() override;
  bool RenderFrame(INode* camera, int frame, const MSTR& file, int width, int height) override;
  int RenderSequence(INode* camera, int start, int end, const MSTR& pattern, int width, int height) override;
  int ExportPRT(int start, int end, const MSTR& pattern) override;
  bool FreeGPU() override;
  float GpuCapacityMillions() override;
  int ExportVDB(int start, int end, const MSTR& pattern, int resolution) override;
  bool RenderOver(INode* camera, int frame, const MSTR& background, const MSTR& file) override;

  const std::string& StatusText() const { return status_; }

 private:
  std::string status_;  // UTF-8; the last driver's one-line result
};

ParamBlockDesc2* GetInkParamBlockDesc();
FPInterfaceDesc* GetOrbInkInterfaceDesc();

namespace ink {
extern const host::StringEntry kInkStrings[];
extern const int kInkStringCount;
}  // namespace ink
