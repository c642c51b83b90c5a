#include "ink/material/InkMtl.h"

#include <algorithm>

#include "common/FixedClassDesc.h"
#include "host/sdk/Interface.h"
#include "ink/material/InkLook.h"

namespace {
constexpr ParamID kSlotParams[] = {inkmtl::param::colorMap, inkmtl::param::emissionMap};
const MCHAR* const kSlotNames[] = {_M("Colour map"), _M("Emission map")};
constexpr float kAmbientShare = 0.2f;
}  // namespace

InkMtl::InkMtl() { GetInkMtlDesc()->MakeAutoParamBlocks(this); }

Class_ID InkMtl::ClassID() { return GetInkMtlDesc()->ClassID(); }

void InkMtl::GetClassName(MSTR& s, bool) const { s = _M("Tessaron Ink Material"); }

BaseInterface* InkMtl::GetInterface(Interface_ID id) {
  if (id == INK_MATERIAL_INTERFACE_ID) return static_cast<IInkMaterial*>(this);
  return Mtl::GetInterface(id);
}

ReferenceTarget* InkMtl::Clone(RemapDir& remap) {
  auto* copy = new InkMtl();
  copy->SetName(GetName());
  return CloneBlockInto(copy, remap);
}

RefResult InkMtl::NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE && hTarget == pblock2) {
    ivalid.SetEmpty();
    GetInkMtlDesc()->InvalidateUI(GetInkMtlParamBlockDesc());
  }
  return REF_SUCCEED;
}

Texmap* InkMtl::GetSubTexmap(int i) {
  if (i < 0 || i >= NumSubTexmaps()) return nullptr;
  return pblock2->GetTexmap(kSlotParams[i]);
}

void InkMtl::SetSubTexmap(int i, Texmap* m) {
  if (i < 0 || i >= NumSubTexmaps()) return;
  pblock2->SetValue(kSlotParams[i], 0, m);
  GetInkMtlParamBlockDesc()->InvalidateUI(kSlotParams[i]);
}

MSTR InkMtl::GetSubTexmapSlotName(int i, bool) {
  return i >= 0 && i < NumSubTexmaps() ? MSTR(kSlotNames[i]) : MSTR();
}

void InkMtl::readLook(TimeValue t) {
  namespace id = inkmtl::param;
  ivalid = FOREVER;
  Color absorb, scatter, emission;
  float scatterShare = 0, emissionStrength = 0;
  pblock2->GetValue(id::absorbColor, t, absorb, ivalid);
  pblock2->GetValue(id::scatterColor, t, scatter, ivalid);
  pblock2->GetValue(id::scatterAmount, t, scatterShare, ivalid);
  pblock2->GetValue(id::emissionColor, t, emission, ivalid);
  pblock2->GetValue(id::emissionAmount, t, emissionStrength, ivalid);
  pblock2->GetValue(id::opacity, t, look_.opacity, ivalid);
  pblock2->GetValue(id::colorStrength, t, look_.colorStrength, ivalid);
  pblock2->GetValue(id::ambient, t, look_.ambient, ivalid);
  look_.base = inklook::baseColor(absorb, scatter, scatterShare);
  look_.emission = emission * emissionStrength;
  for (ParamID slot : kSlotParams) {
    if (Texmap* map = pblock2->GetTexmap(slot, t)) {
      map->Update(t, ivalid);
      ivalid &= map->Validity(t);
    }
  }
  // An animated value can leave an interval that misses t itself; the
  // values hold at t at least.
  if (!ivalid.InInterval(t)) ivalid.SetInstant(t);
}

void InkMtl::Update(TimeValue t, Interval& valid) {
  if (!ivalid.InInterval(t)) readLook(t);
  valid &= ivalid;
}

Interval InkMtl::Validity(TimeValue t) {
  Interval valid = FOREVER;
  Update(t, valid);
  return valid;
}

void InkMtl::Reset() {
  GetInkMtlDesc()->MakeAutoParamBlocks(this);
  ivalid.SetEmpty();
}

// Before any Update (or after a change) the queries read the values at the
// scene's current time rather than answer stale ones.
const InkMtl::Look& InkMtl::look() {
  if (ivalid.Empty()) readLook(GetCOREInterface()->GetTime());
  return look_;
}

Color InkMtl::GetAmbient(int, BOOL) { return look().base * kAmbientShare; }

Color InkMtl::GetDiffuse(int, BOOL) { return look().base; }

float InkMtl::GetXParency(int, BOOL) { return 1.f - look().opacity; }

// The emission is a colour of its own, not a share of the diffuse colour.
BOOL InkMtl::GetSelfIllumColorOn(int, BOOL) { return TRUE; }

Color InkMtl::GetSelfIllumColor(int, BOOL) { return look().emission; }

void InkMtl::Shade(ShadeContext& sc) {
  Interval valid = FOREVER;
  Update(sc.CurTime(), valid);
  Color c = look_.base;
  if (Texmap* map = pblock2->GetTexmap(inkmtl::param::colorMap, sc.CurTime())) {
    const AColor m = map->EvalColor(sc);
    c = look_.base * (1.f - look_.colorStrength) + Color(m.r, m.g, m.b) * look_.colorStrength;
  }
  Color light(1, 1, 1);
  if (sc.nLights > 0) {
    light = Color();
    Point3 normal = sc.Normal();
    for (int i = 0; i < sc.nLights; ++i) {
      LightDesc* l = sc.Light(i);
      Color lc;
      Point3 dir;
      float dotNL = 0, diffuse = 0;
      if (l && l->Illuminate(sc, normal, lc, dir, dotNL, diffuse)) light = light + lc * std::max(diffuse, 0.f);
    }
  }
  sc.out.c = (sc.ambientLight * look_.ambient + light) * c + look_.emission;
  const float t = 1.f - look_.opacity;
  sc.out.t = Color(t, t, t);
}

ClassDesc2* GetInkMtlDesc() {
  return common::classDescOf<InkMtl>(
      {_M("Tessaron Ink Material"), _M("TessaronInkMaterial"), _M("TessaronFX Tools"),
       MATERIAL_CLASS_ID, Class_ID(0x5A3E91C7, 0x2F8D4B06)});
}
