// The ink object's scripting interface "orbInk": the published functions
// with their argument names and types, and the dispatch from scripts.
#include "host/sdk/Node.h"
#include "ink/InkObject.h"

FPInterfaceDesc* GetOrbInkInterfaceDesc() {
  static FPInterfaceDesc desc(
      ORB_INK_INTERFACE_ID, _M("orbInk"), 0, GetInkDesc(), FP_MIXIN,
      {
          {InkFP::kInkStatus, _M("inkStatus"), TYPE_STRING, {}},
          {InkFP::kRenderFrame, _M("renderFrame"), TYPE_BOOL,
           {{_M("camera"), TYPE_INODE}, {_M("frame"), TYPE_INT}, {_M("file"), TYPE_STRING}, {_M("width"), TYPE_INT},
            {_M("height"), TYPE_INT}}},
          {InkFP::kRenderSequence, _M("renderSequence"), TYPE_INT,
           {{_M("camera"), TYPE_INODE}, {_M("start"), TYPE_INT}, {_M("end"), TYPE_INT}, {_M("pattern"), TYPE_STRING},
            {_M("width"), TYPE_INT}, {_M("height"), TYPE_INT}}},
          {InkFP::kExportPRT, _M("exportPRT"), TYPE_INT,
           {{_M("start"), TYPE_INT}, {_M("end"), TYPE_INT}, {_M("pattern"), TYPE_STRING}}},
          {InkFP::kFreeGPU, _M("freeGPU"), TYPE_BOOL, {}},
          {InkFP::kGpuCapacityMillions, _M("gpuCapacityMillions"), TYPE_FLOAT, {}},
          {InkFP::kExportVDB, _M("exportVDB"), TYPE_INT,
           {{_M("start"), TYPE_INT}, {_M("end"), TYPE_INT}, {_M("pattern"), TYPE_STRING}, {_M("resolution"), TYPE_INT}}},
          {InkFP::kRenderOver, _M("renderOver"), TYPE_BOOL,
           {{_M("camera"), TYPE_INODE}, {_M("frame"), TYPE_INT}, {_M("background"), TYPE_STRING},
            {_M("file"), TYPE_STRING}}},
      });
  return &desc;
}

FPInterfaceDesc* InkFP::GetDesc() { return GetOrbInkInterfaceDesc(); }

// Arguments are read by index; a missing one raises the host's
// out-of-range error before anything runs.
FPStatus InkFP::_dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p) {
  auto& a = p->params;
  switch (fid) {
    case kInkStatus:
      result = FPValue::String(InkStatus());
      return FPS_OK;
    case kRenderFrame:
      result = FPValue::Bool(RenderFrame(a[0].n, a[1].i, a[2].s, a[3].i, a[4].i));
      return FPS_OK;
    case kRenderSequence:
      result = FPValue::Int(RenderSequence(a[0].n, a[1].i, a[2].i, a[3].s, a[4].i, a[5].i));
      return FPS_OK;
    case kExportPRT:
      result = FPValue::Int(ExportPRT(a[0].i, a[1].i, a[2].s));
      return FPS_OK;
    case kFreeGPU:
      result = FPValue::Bool(FreeGPU());
      return FPS_OK;
    case kGpuCapacityMillions:
      result = FPValue::Float(GpuCapacityMillions());
      return FPS_OK;
    case kExportVDB:
      result = FPValue::Int(ExportVDB(a[0].i, a[1].i, a[2].s, a[3].i));
      return FPS_OK;
    case kRenderOver:
      result = FPValue::Bool(RenderOver(a[0].n, a[1].i, a[2].s, a[3].s));
      return FPS_OK;
    default:
      return FPS_NO_SUCH_FUNCTION;
  }
}
