#include "ink/InkObject.h"

#include "common/CentreRadiusCreate.h"
#include "common/FixedClassDesc.h"
#include "host/sdk/Node.h"
#include "ink/InkClearProc.h"
#include "ink/InkParamTable.h"
#include "ink/InkParams.h"
#include "ink/InkSphere.h"
#include "ink/sim/GpuContext.h"
#include "orb/MarkItem.h"

namespace {
constexpr const char* kMarkText = "TESSARONORBINK";
}  // namespace

InkObject::InkObject() { GetInkDesc()->MakeAutoParamBlocks(this); }

Class_ID InkObject::ClassID() { return GetInkDesc()->ClassID(); }

void InkObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Orb Ink"); }

const MCHAR* InkObject::GetObjectName(bool) const { return _M("Tessaron Orb Ink"); }

BaseInterface* InkObject::GetInterface(Interface_ID id) {
  if (id == ORB_INK_INTERFACE_ID) return static_cast<InkFP*>(this);
  return SimpleParticle::GetInterface(id);
}

// A fresh object with a clone of the block; caches and GPU state are
// rebuilt by the copy's first evaluation.
ReferenceTarget* InkObject::Clone(RemapDir& remap) {
  return CloneBlockInto(new InkObject(), remap);
}

// Any change, even of a display-only parameter, may change what the
// simulation shows: every cached frame and both tracks are stale.
RefResult InkObject::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    frameCache_.clear();
    evaluation_.requestRebuild();
    valid = FALSE;
    GetInkParamBlockDesc()->InvalidateUI(pblock2->LastNotifyParamID());
  }
  return REF_SUCCEED;
}

Animatable* InkObject::SubAnim(int i) { return i == 0 ? pblock2 : nullptr; }

MSTR InkObject::SubAnimName(int i, bool) { return i == 0 ? MSTR(_M("Parameters")) : MSTR(); }

// Like a sphere: dragging sets the radius, at least 0.1; every ink object
// hands out the one instance.
CreateMouseCallBack* InkObject::GetCreateMouseCallBack() {
  static CentreRadiusCreate callback({.sized = {ink::param::radius}, .minimum = 0.1f});
  return callback.For(pblock2);
}

void InkObject::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  ParamBlockDesc2* desc = GetInkParamBlockDesc();
  for (MapID m = 0; m < ink::kInkRolloutCount; ++m) desc->SetUserDlgProc(m, InkClearProc::instance());
  SimpleParticle::BeginEditParams(ip, flags, prev);
  GetInkDesc()->BeginEditParams(ip, this, flags, prev);
}

void InkObject::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  GetInkDesc()->EndEditParams(ip, this, flags, next);
  SimpleParticle::EndEditParams(ip, flags, next);
}

bool InkObject::Evaluate(TimeValue t, ink::EvalMode mode, ink::EvaluatedSources& out) {
  return evaluation_.evaluate(*pblock2, OwnNode(this), t, mode, out, status_);
}

bool InkObject::GatherRender(TimeValue t, int width, int height, const ink::EvaluatedSources* sources,
                             ink::RenderSettings& out) {
  return renderGathering_.gather(*pblock2, OwnNode(this), t, width, height, evaluation_, sources, out, status_);
}

std::vector<Point3> InkObject::ViewportParticles(TimeValue t) {
  if (viewportSource_) return viewportSource_(t);
  return evaluation_.viewportParticles(*pblock2, OwnNode(this), t, status_);
}

void InkObject::UpdateParticles(TimeValue t, INode* node) {
  if (valid && tvalid == t) return;
  const std::vector<Point3>* positions = frameCache_.find(t);
  std::vector<Point3> uncached;
  if (!positions) {
    uncached = ViewportParticles(t);
    positions = frameCache_.fits(uncached.size()) ? frameCache_.store(t, std::move(uncached)) : &uncached;
  }
  const Matrix3 tm = node ? node->GetObjectTM(t) : Matrix3();
  const int count = static_cast<int>(positions->size());
  parts.SetCount(count);  // velocities and ages start at zero
  for (int i = 0; i < count; ++i) parts.points[i] = (*positions)[i] * tm;
  tvalid = t;
  valid = TRUE;
}

void InkObject::BuildEmitter(TimeValue t, Mesh& amesh) {
  if (pblock2->GetInt(ink::param::viewportSphere, t))
    ink::buildViewportSphere(pblock2->GetFloat(ink::param::radius, t), amesh);
  else
    amesh.FreeAll();
  amesh.InvalidateGeomCache();
  amesh.InvalidateTopologyCache();
}

Interval InkObject::GetValidity(TimeValue t) { return Interval(t, t); }

void InkObject::FreeCaches() { valid = FALSE; }

Mesh* InkObject::GetRenderMesh(TimeValue, INode*, View&, BOOL& needDelete) {
  static Mesh empty;
  needDelete = FALSE;
  return &empty;
}

int InkObject::Display(TimeValue t, INode* node, ViewExp* vpt, int flags) {
  SimpleParticle::Display(t, node, vpt, flags);
  if (!node || !vpt || !pblock2->GetInt(ink::param::showMark, t)) return 0;
  tsorb::drawMarkLines(*vpt->getGW(), node->GetObjectTM(t), pblock2->GetFloat(ink::param::radius, t), 1.f, kMarkText);
  return 0;
}

MSTR InkObject::InkStatus() {
  std::string device;
  ink::describeDevice(device);
  return host::widen(status_ + " | GPU: " + device);
}

bool InkObject::FreeGPU() {
  evaluation_.releaseRenderInk();
  status_ = "render buffers released";
  return true;
}

float InkObject::GpuCapacityMillions() { return ink::gpuCapacityMillions(); }

ClassDesc2* GetInkDesc() {
  return common::classDescOf<InkObject>(
      {_M("Tessaron Orb Ink"), _M("TessaronOrbInk"), _M("TessaronFX"),
       GEOMOBJECT_CLASS_ID, Class_ID(0x41C7E2B9, 0x6D3A9F15)});
}
