#include "ink/MaterialGathering.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "host/sdk/Material.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/RenderParamsGathering.h"
#include "ink/material/BakeSC.h"
#include "ink/material/InkMtl.h"
#include "ink/render/SplatColour.h"

namespace ink {

namespace {

BakedMap bake(Texmap* map, TimeValue t, int side) {
  BakedMap baked;
  if (map && inklook::BakeSC::Bake(map, t, side, side, baked.rgb)) baked.width = baked.height = side;
  return baked;
}

// The ink material's rule: modes 2-5 kept, every other mode the axis mode
// (along x for 6, y for 7, else z).
void inkMaterialMapMode(int colorMode, RenderSettings& s) {
  colourMapMode(colorMode, s.mapMode, s.mapAxis);
  if (colorMode < 2 || colorMode > 5) s.mapMode = 1;
}

void applyInkMaterial(IParamBlock2& m, TimeValue t, RenderSettings& s, BakedMap& colourMap) {
  namespace mp = inkmtl::param;
  const Color absorb = m.GetColor(mp::absorbColor, t), scatter = m.GetColor(mp::scatterColor, t);
  s.absorbR = absorb.r, s.absorbG = absorb.g, s.absorbB = absorb.b;
  s.scatterR = scatter.r, s.scatterG = scatter.g, s.scatterB = scatter.b;
  s.scatterAmount = m.GetFloat(mp::scatterAmount, t);
  s.pointBrightness = m.GetFloat(mp::density, t) * m.GetFloat(mp::opacity, t);
  Color emission = m.GetColor(mp::emissionColor, t);
  if (Texmap* emissionMap = m.GetTexmap(mp::emissionMap, t)) {
    const BakedMap small = bake(emissionMap, t, kEmissionMapSide);
    if (!small.empty()) {
      const Color mean = inklook::meanColor(small.rgb);
      emission = Color(emission.r * mean.r, emission.g * mean.g, emission.b * mean.b);
    }
  }
  s.emitR = emission.r, s.emitG = emission.g, s.emitB = emission.b;
  s.emitAmount = m.GetFloat(mp::emissionAmount, t);
  colourMap = bake(m.GetTexmap(mp::colorMap, t), t, kColourMapSide);
  inkMaterialMapMode(m.GetInt(mp::colorMode, t), s);
  s.colorStrength = m.GetFloat(mp::colorStrength, t);
  s.colorScale = m.GetFloat(mp::colorScale, t);
  s.colorSticky = m.GetInt(mp::colorSticky, t);
  s.colorBy = m.GetInt(mp::colorBy, t);
  s.colorByMin = m.GetFloat(mp::colorByMin, t);
  s.colorByMax = m.GetFloat(mp::colorByMax, t);
  const Color rampA = m.GetColor(mp::rampStart, t), rampB = m.GetColor(mp::rampEnd, t);
  s.rampAR = rampA.r, s.rampAG = rampA.g, s.rampAB = rampA.b;
  s.rampBR = rampB.r, s.rampBG = rampB.g, s.rampBB = rampB.b;
  s.falloffOn = m.GetInt(mp::falloffOn, t) != 0;
  s.falloffFace = m.GetFloat(mp::faceDensity, t);
  s.falloffEdge = m.GetFloat(mp::edgeDensity, t);
  s.falloffPower = m.GetFloat(mp::falloffPower, t);
  const Color edge = m.GetColor(mp::edgeColor, t);
  s.falloffEdgeR = edge.r, s.falloffEdgeG = edge.g, s.falloffEdgeB = edge.b;
  s.falloffColor = m.GetFloat(mp::edgeColorAmount, t);
  s.pointSize = m.GetFloat(mp::pointSize, t);
  s.pointSoftness = m.GetFloat(mp::pointSoftness, t);
  s.pointSizeJitter = m.GetFloat(mp::pointSizeJitter, t);
  s.shadow = m.GetFloat(mp::shadow, t);
  s.ambient = m.GetFloat(mp::ambient, t);
}

bool isDiffuseSlot(MSTR name) {
  std::string slot = host::narrow(name);
  std::transform(slot.begin(), slot.end(), slot.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* key : {"diffuse", "base color", "base_color", "basecolor"})
    if (slot.find(key) != std::string::npos) return true;
  return false;
}

void applyOtherMaterial(Mtl& mtl, TimeValue t, int colorMode, RenderSettings& s, BakedMap& colourMap) {
  Interval valid = FOREVER;
  mtl.Update(t, valid);
  colourMap = {};
  for (int i = 0; i < mtl.NumSubTexmaps() && colourMap.empty(); ++i)
    if (Texmap* map = mtl.GetSubTexmap(i); map && isDiffuseSlot(mtl.GetSubTexmapSlotName(i)))
      colourMap = bake(map, t, kColourMapSide);
  const Color diffuse = mtl.GetDiffuse();
  if (colourMap.empty()) colourMap = {{diffuse.r, diffuse.g, diffuse.b}, 1, 1};
  colourMapMode(colorMode == 0 ? 3 : colorMode, s.mapMode, s.mapAxis);
  s.colorStrength = 1.f;
  const Color glow = mtl.GetSelfIllumColorOn() ? mtl.GetSelfIllumColor() : diffuse * mtl.GetSelfIllum();
  if (glow.r + glow.g + glow.b > 0.001f) {
    s.emitR = glow.r, s.emitG = glow.g, s.emitB = glow.b;
    s.emitAmount = std::max(s.emitAmount, 1.f);
  }
  s.pointBrightness *= std::max(1.f - mtl.GetXParency(), 0.f);
}
}  // namespace

BakedMap bakeInkColourMap(IParamBlock2& pb, TimeValue t) {
  if (pb.GetInt(param::colorMode, t) <= 0) return {};
  return bake(pb.GetTexmap(param::colorMap, t), t, kColourMapSide);
}

void applyParticleMaterial(IParamBlock2& pb, TimeValue t, RenderSettings& s, BakedMap& colourMap) {
  Mtl* mtl = pb.GetMtl(param::particleMtl, t);
  if (!mtl) return;
  auto* inkLook = static_cast<IInkMaterial*>(mtl->GetInterface(INK_MATERIAL_INTERFACE_ID));
  if (IParamBlock2* block = inkLook ? inkLook->GetInkParamBlock() : nullptr)
    applyInkMaterial(*block, t, s, colourMap);
  else
    applyOtherMaterial(*mtl, t, pb.GetInt(param::colorMode, t), s, colourMap);
}

bool coloursBySpeed(IParamBlock2& pb, TimeValue t) {
  if (pb.GetInt(param::colorBy, t) == kBySpeed) return true;
  Mtl* mtl = pb.GetMtl(param::particleMtl, t);
  auto* inkLook = mtl ? static_cast<IInkMaterial*>(mtl->GetInterface(INK_MATERIAL_INTERFACE_ID)) : nullptr;
  IParamBlock2* block = inkLook ? inkLook->GetInkParamBlock() : nullptr;
  return block && block->GetInt(inkmtl::param::colorBy, t) == kBySpeed;
}

void useColourMap(const BakedMap& map, RenderSettings& s) {
  s.colorMap = map.empty() ? nullptr : map.rgb.data();
  s.colorMapWidth = map.width;
  s.colorMapHeight = map.height;
}

}  // namespace ink
