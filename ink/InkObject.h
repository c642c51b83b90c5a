#pragma once
// The ink object: a particle system standing for one orb full of ink, with
// the "orbInk" scripting interface through which scripts start renders and
// exports.
#include <functional>
#include <string>
#include <vector>

#include "host/sdk/ClassDesc2.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Particle.h"
#include "host/sdk/StringTable.h"
#include "ink/InkEvaluation.h"
#include "ink/RenderGathering.h"
#include "ink/ViewportFrameCache.h"
#include "ink/render/RenderHost.h"

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
  int NumSubs() override { return 1; }
  Animatable* SubAnim(int i) override;
  MSTR SubAnimName(int i, bool localized = true) override;

  CreateMouseCallBack* GetCreateMouseCallBack() override;
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;

  void UpdateParticles(TimeValue t, INode* node) override;
  void BuildEmitter(TimeValue t, Mesh& amesh) override;
  Interval GetValidity(TimeValue t) override;
  void FreeCaches() override;
  // The ink never renders through the host's renderer: an empty mesh that
  // the renderer must not delete.
  Mesh* GetRenderMesh(TimeValue t, INode* inode, View& view, BOOL& needDelete) override;
  // The base particle display, then the "TESSARONORBINK" mark.
  int Display(TimeValue t, INode* node, ViewExp* vpt, int flags) override;

  MSTR InkStatus() override;
  bool RenderFrame(INode* camera, int frame, const MSTR& file, int width, int height) override;
  int RenderSequence(INode* camera, int start, int end, const MSTR& pattern, int width, int height) override;
  int ExportPRT(int start, int end, const MSTR& pattern) override;
  bool FreeGPU() override;
  float GpuCapacityMillions() override;
  int ExportVDB(int start, int end, const MSTR& pattern, int resolution) override;
  bool RenderOver(INode* camera, int frame, const MSTR& background, const MSTR& file) override;

  const std::string& StatusText() const { return status_; }
  const ink::ViewportFrameCache& FrameCache() const { return frameCache_; }
  // Set by every parameter change and by the batch drivers; the scene
  // gathering rebuilds the vortex and swirl tracks and clears them.
  bool VortexTrackRebuildPending() const { return evaluation_.trackRebuildPending(); }
  bool SwirlTrackRebuildPending() const { return evaluation_.swirlRebuildPending(); }
  void RequestTrackRebuild() { evaluation_.requestRebuild(); }

  // Brings every particle source to t in the mode's engines; the status text
  // becomes the summary or the failing step's message. True when at least
  // one source is in the list.
  bool Evaluate(TimeValue t, ink::EvalMode mode, ink::EvaluatedSources& out);
  const ink::InkEvaluation& Evaluation() const { return evaluation_; }
  // GatherRender(t, width, height): the frame's render settings from the
  // parameters and the scene; with the evaluated sources, their groups and
  // id bases. False with the status text set when the records do not fit.
  bool GatherRender(TimeValue t, int width, int height, const ink::EvaluatedSources* sources,
                    ink::RenderSettings& out);

  // The merged viewport particles at t, in object space, in the viewport's
  // source order; empty when the evaluation fails (the status says why).
  std::vector<Point3> ViewportParticles(TimeValue t);
  using ViewportSource = std::function<std::vector<Point3>(TimeValue)>;
  // Replaces the viewport evaluation, so tests can feed the frame cache.
  void SetViewportSourceForTesting(ViewportSource source) { viewportSource_ = std::move(source); }

 private:
  // Batch drivers' shared steps; each leaves its failure in the status text.
  bool EvaluateTimed(TimeValue t, ink::EvaluatedSources& sources, double& seconds);
  // The positions of the frame before `frame`, for motion and velocities.
  // That frame only seeds them: when it cannot be evaluated (a sequence that
  // starts at its first file, a time out of range) `previous` stays empty
  // and the first frame has none. False, with the status, only when the
  // copy cannot be held.
  bool SeedPrevious(int frame, ink::EvaluatedSources& sources, std::vector<orb::Vec>& previous);
  // Gathers the scene at t at the given size and sets the camera from the camera node; `missingCamera` is the text
  // used when there is none.
  bool PrepareRender(INode* camera, TimeValue t, int width, int height, const ink::EvaluatedSources& sources,
                     const char* missingCamera, ink::RenderSettings& settings);
  // Renders the prepared frame, passes when `passes` is given.
  bool RenderPrepared(TimeValue t, ink::RenderSettings& settings, const ink::EvaluatedSources& sources,
                      const std::vector<orb::Vec>* previous, std::vector<float>& image, std::vector<float>* passes);
  // The frame's image (and passes) to `file`; "could not write <file>" unless
  // the writer's own line names the write.
  bool WriteRendered(const std::string& file, TimeValue t, const ink::RenderSettings& settings,
                     const std::vector<float>& image, const std::vector<float>* passes);

  std::string status_;  // UTF-8; the last driver's one-line result
  ink::ViewportFrameCache frameCache_;
  ink::InkEvaluation evaluation_;
  ink::RenderGathering renderGathering_;
  ink::RenderHost renderHost_;  // device buffers kept and grown between frames
  ViewportSource viewportSource_;
};

// The class's descriptor, built on first use.
ClassDesc2* GetInkDesc();
ParamBlockDesc2* GetInkParamBlockDesc();
FPInterfaceDesc* GetOrbInkInterfaceDesc();

namespace ink {
// Rollout titles (40-53) and parameter labels (400-610) for the string table.
const std::vector<host::StringEntry>& inkStrings();
}  // namespace ink
