#include "orb/OrbObject.h"

#include <stdexcept>

#include "common/CentreRadiusCreate.h"
#include "orb/OrbClassId.h"
#include "common/FixedClassDesc.h"
#include "host/sdk/Debug.h"
#include "host/sdk/Node.h"
#include "orb/HostMesh.h"
#include "orb/MarkItem.h"
#include "orb/OrbMesh.h"
#include "orb/ReadParams.h"
#include "orb/VeilBake.h"

OrbObject::OrbObject() { GetOrbDesc()->MakeAutoParamBlocks(this); }

OrbObject::~OrbObject() {
  if (mark_) mark_->Release();
}

Class_ID OrbObject::ClassID() { return GetOrbDesc()->ClassID(); }

void OrbObject::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Iridel"); }

const MCHAR* OrbObject::GetObjectName(bool) const { return _M("Tessaron Iridel"); }

// The first click places the centre with the least radius, dragging sets
// the radius.
CreateMouseCallBack* OrbObject::GetCreateMouseCallBack() {
  static CentreRadiusCreate callback({.sized = {orb::param::radius}, .minimum = 0.01f, .placed = 0.01f});
  return callback.For(pblock2);
}

void OrbObject::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  SimpleObject2::BeginEditParams(ip, flags, prev);
  GetOrbDesc()->BeginEditParams(ip, this, flags, prev);
}

void OrbObject::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  SimpleObject2::EndEditParams(ip, flags, next);
  GetOrbDesc()->EndEditParams(ip, this, flags, next);
}

BaseInterface* OrbObject::GetInterface(Interface_ID id) {
  if (id == IOBJECT_DISPLAY2_INTERFACE_ID) return static_cast<MaxSDK::Graphics::IObjectDisplay2*>(this);
  if (id == ORB_FP_INTERFACE_ID) return static_cast<OrbFPInterface*>(this);
  return SimpleObject2::GetInterface(id);
}

ReferenceTarget* OrbObject::Clone(RemapDir& remap) {
  return CloneBlockInto(new OrbObject(), remap);
}

RefResult OrbObject::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    InvalidateUI();
  }
  return REF_SUCCEED;
}

void OrbObject::InvalidateUI() { GetOrbParamBlockDesc()->InvalidateUI(); }

int OrbObject::RenderBegin(TimeValue, ULONG) {
  rendering_ = true;
  ivalid.SetEmpty();
  return 1;
}

int OrbObject::RenderEnd(TimeValue) {
  rendering_ = false;
  ivalid.SetEmpty();
  return 1;
}

namespace {
bool gFailBuilds = false;
}

void OrbObject::SetBuildFailureForTesting(bool on) { gFailBuilds = on; }

// Reads the parameters, samples the veil sources, bakes the veils when their
// inputs changed and builds the mesh. Any failure leaves an empty mesh and a
// note on the debugger output; the user sees an empty orb, never a crash.
void OrbObject::BuildMesh(TimeValue t) {
  ivalid.SetInstant(t);
  try {
    orb::Params p = orb::readParams(*pblock2, t);
    if (gFailBuilds) throw std::runtime_error("mesh build failure injected");
    INode* node = OwnNode(this);
    orb::sampleVeilSources(*pblock2, t, p, node ? node->GetNodeTM(t) : Matrix3(), sources_);
    orb::bakeVeils(p, sources_, cache_);
    orb::buildOrbMesh(p, cache_, static_cast<double>(t) / TIME_TICKSPERSEC,
                      rendering_ ? p.renderSegments : p.viewportSegments, buffers_, scratch_);
    orb::copyToHostMesh(buffers_, mesh);
  } catch (...) {
    mesh.FreeAll();
    OutputDebugString(_M("Tessaron Iridel: mesh build failed\n"));
  }
  mesh.InvalidateGeomCache();
  mesh.InvalidateTopologyCache();
  mesh.buildNormals();
}

MSTR OrbObject::SolverStatus() { return host::widen(cache_.statusLine()); }

namespace {
constexpr const char* kMarkText = "TESSARONIRIDEL";
constexpr int kMarkVisibilityGroup = 3;
}  // namespace

bool OrbObject::PrepareDisplay(const MaxSDK::Graphics::UpdateDisplayContext&) {
  displayPrepared_ = mesh.getNumFaces() > 0;
  return true;
}

bool OrbObject::UpdatePerNodeItems(const MaxSDK::Graphics::UpdateDisplayContext& ctx,
                                   MaxSDK::Graphics::UpdateNodeContext&,
                                   MaxSDK::Graphics::IRenderItemContainer& items) {
  if (mesh.getNumFaces() > 0) items.defaultMeshItems = true;
  if (!mark_) mark_ = new tsorb::MarkItem();
  mark_->Update(pblock2->GetFloat(orb::param::radius, ctx.displayTime), 1.f, kMarkText);
  items.AddRenderItem(mark_, kMarkVisibilityGroup);
  return true;
}

int OrbObject::Display(TimeValue t, INode* node, ViewExp* vpt, int flags) {
  SimpleObject2::Display(t, node, vpt, flags);
  if (!node || !vpt) return 0;
  tsorb::drawMarkLines(*vpt->getGW(), node->GetObjectTM(t), pblock2->GetFloat(orb::param::radius, t), 1.f, kMarkText);
  return 0;
}

ClassDesc2* GetOrbDesc() {
  return common::classDescOf<OrbObject>(
      {_M("Tessaron Iridel"), _M("TessaronIridel"), _M("TessaronFX"),
       GEOMOBJECT_CLASS_ID, kOrbClassId});
}
