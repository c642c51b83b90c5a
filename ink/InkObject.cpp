#include "ink/InkObject.h"

#include "ink/sim/GpuContext.h"
#include "plugin/ClassDescriptors.h"

namespace {
constexpr const char* kNotBuilt = "not available in this build";
}

InkObject::InkObject() { GetInkDesc()->MakeAutoParamBlocks(this); }

Class_ID InkObject::ClassID() { return GetInkDesc()->ClassID(); }

void InkObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Orb Ink"); }

const MCHAR* InkObject::GetObjectName(bool) const { return _M("Tessaron Orb Ink"); }

BaseInterface* InkObject::GetInterface(Interface_ID id) {
  if (id == ORB_INK_INTERFACE_ID) return static_cast<InkFP*>(this);
  return SimpleParticle::GetInterface(id);
}

ReferenceTarget* InkObject::Clone(RemapDir& remap) {
  return CloneBlockInto(new InkObject(), remap);
}

RefResult InkObject::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    valid = FALSE;
    GetInkParamBlockDesc()->InvalidateUI();
  }
  return REF_SUCCEED;
}

void InkObject::UpdateParticles(TimeValue, INode*) { parts.SetCount(0); }

void InkObject::BuildEmitter(TimeValue, Mesh& amesh) { amesh.FreeAll(); }

Interval InkObject::GetValidity(TimeValue t) { return Interval(t, t); }

MSTR InkObject::InkStatus() {
  std::string device;
  ink::describeDevice(device);
  return host::widen(status_ + " | GPU: " + device);
}

bool InkObject::RenderFrame(INode* camera, int frame, const MSTR& file, int width, int height) {
  return RenderSequence(camera, frame, frame, file, width, height) == 1;
}

int InkObject::RenderSequence(INode*, int, int, const MSTR&, int, int) {
  status_ = std::string("rendering ") + kNotBuilt;
  return 0;
}

int InkObject::ExportPRT(int, int, const MSTR&) {
  status_ = std::string("PRT export ") + kNotBuilt;
  return 0;
}

bool InkObject::FreeGPU() {
  status_ = "render buffers released";
  return true;
}

float InkObject::GpuCapacityMillions() { return ink::gpuCapacityMillions(); }

int InkObject::ExportVDB(int, int, const MSTR&, int) {
  status_ = std::string("VDB export ") + kNotBuilt;
  return 0;
}

bool InkObject::RenderOver(INode*, int, const MSTR&, const MSTR&) {
  status_ = std::string("rendering ") + kNotBuilt;
  return false;
}
