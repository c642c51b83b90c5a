#include "ink/RenderParamsGathering.h"

#include <cstdint>

#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SimGathering.h"
#include "util/Math.h"

namespace ink {

namespace {
namespace pid = param;

struct FloatField {
  ParamID id;
  float RenderSettings::*field;
};
struct IntField {
  ParamID id;
  std::int32_t RenderSettings::*field;
};
struct BoolField {
  ParamID id;
  bool RenderSettings::*field;
};

using S = RenderSettings;
constexpr FloatField kFloats[] = {
    {pid::absorbR, &S::absorbR}, {pid::absorbG, &S::absorbG}, {pid::absorbB, &S::absorbB},
    {pid::scatterR, &S::scatterR}, {pid::scatterG, &S::scatterG}, {pid::scatterB, &S::scatterB},
    {pid::scatterAmount, &S::scatterAmount}, {pid::lightIntensity, &S::lightIntensity}, {pid::shadow, &S::shadow},
    {pid::ambient, &S::ambient}, {pid::emitR, &S::emitR}, {pid::emitG, &S::emitG}, {pid::emitB, &S::emitB},
    {pid::emitAmount, &S::emitAmount}, {pid::glassReflect, &S::glassReflect}, {pid::glassRim, &S::glassRim},
    {pid::glassSpec, &S::glassSpec}, {pid::glassIOR, &S::glassIOR}, {pid::glassThickness, &S::glassThickness},
    {pid::envIntensity, &S::envIntensity}, {pid::bubbleSize, &S::bubbleSize}, {pid::bubbleSizeVar, &S::bubbleSizeVar},
    {pid::bubbleRise, &S::bubbleRise}, {pid::bubbleWobble, &S::bubbleWobble}, {pid::bubbleShine, &S::bubbleShine},
    {pid::radius, &S::radius}, {pid::fogDensity, &S::fogDensity}, {pid::fogR, &S::fogR}, {pid::fogG, &S::fogG},
    {pid::fogB, &S::fogB}, {pid::fogGlow, &S::fogGlow}, {pid::envLighting, &S::envLighting},
    {pid::colorStrength, &S::colorStrength}, {pid::colorScale, &S::colorScale}, {pid::bgR, &S::bgR},
    {pid::bgG, &S::bgG}, {pid::bgB, &S::bgB}, {pid::pointSize, &S::pointSize}, {pid::pointSoftness, &S::pointSoftness},
    {pid::pointSizeJitter, &S::pointSizeJitter}, {pid::pointBrightness, &S::pointBrightness},
    {pid::bgDistance, &S::bgDistance}, {pid::reflR, &S::reflR}, {pid::reflG, &S::reflG}, {pid::reflB, &S::reflB},
    {pid::causticIOR, &S::causticIOR}, {pid::causticStrength, &S::causticStrength},
    {pid::causticBlur, &S::causticBlur}, {pid::causticLightSize, &S::causticLightSize},
    {pid::causticInk, &S::causticInk}, {pid::plumeColR, &S::plumeColR}, {pid::plumeColG, &S::plumeColG},
    {pid::plumeColB, &S::plumeColB}, {pid::colorByMin, &S::colorByMin}, {pid::colorByMax, &S::colorByMax},
    {pid::rampAR, &S::rampAR}, {pid::rampAG, &S::rampAG}, {pid::rampAB, &S::rampAB}, {pid::rampBR, &S::rampBR},
    {pid::rampBG, &S::rampBG}, {pid::rampBB, &S::rampBB}, {pid::catcherStrength, &S::catcherStrength},
    {pid::sceneAmbient, &S::sceneAmbient}, {pid::falloffFace, &S::falloffFace}, {pid::falloffEdge, &S::falloffEdge},
    {pid::falloffPower, &S::falloffPower}, {pid::falloffColor, &S::falloffColor},
    {pid::falloffEdgeR, &S::falloffEdgeR}, {pid::falloffEdgeG, &S::falloffEdgeG},
    {pid::falloffEdgeB, &S::falloffEdgeB},
};
constexpr IntField kInts[] = {
    {pid::bubbles, &S::bubbles}, {pid::gridRes, &S::gridRes}, {pid::envBackground, &S::envBackground},
    {pid::bgMode, &S::bgMode}, {pid::alphaMode, &S::alphaMode}, {pid::reflMode, &S::reflMode},
    {pid::colorBy, &S::colorBy}, {pid::colorSticky, &S::colorSticky},
};
constexpr BoolField kBools[] = {
    {pid::glass, &S::glass}, {pid::glassSolid, &S::glassSolid}, {pid::caustics, &S::caustics},
    {pid::plumeTint, &S::plumeTint}, {pid::falloffOn, &S::falloffOn}, {pid::matteGlass, &S::matteGlass},
};
}  // namespace

void colourMapMode(int colorMode, std::int32_t& mode, orb::Vec& axis) {
  axis = {0.f, 0.f, 1.f};
  if (colorMode == 6) axis = {1.f, 0.f, 0.f};
  if (colorMode == 7) axis = {0.f, 1.f, 0.f};
  mode = colorMode >= 6 ? 1 : (colorMode < 0 ? 0 : colorMode);
}

void readRenderParams(IParamBlock2& pb, TimeValue t, RenderSettings& s) {
  for (const FloatField& f : kFloats) s.*f.field = pb.GetFloat(f.id, t);
  for (const IntField& f : kInts) s.*f.field = pb.GetInt(f.id, t);
  for (const BoolField& f : kBools) s.*f.field = pb.GetInt(f.id, t) != 0;
  s.passes = pb.GetInt(pid::renderPasses, t) != 0 ? 1 : 0;
  s.time = secondsAt(t);
  s.seedHash = static_cast<std::int32_t>(static_cast<std::uint32_t>(pb.GetInt(pid::seed, t)) * 747796405u - 1403630843u);
  s.envRotation = pb.GetFloat(pid::envRotation, t) * util::kDegToRad;
  colourMapMode(pb.GetInt(pid::colorMode, t), s.mapMode, s.mapAxis);
}

}  // namespace ink
