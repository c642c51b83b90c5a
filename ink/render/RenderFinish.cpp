#include "ink/render/RenderFinish.h"

#include <cmath>

#include "ink/render/Caustics.h"
#include "ink/render/RenderHost.h"
#include "ink/render/RenderKernels.h"

namespace ink {

bool renderCaustics(const RenderSettings& s, const LightSet& lights, CausticFrame& out, gpu::FirstError& device) {
  out = {};
  if (!s.caustics || !s.glass || !s.sceneTriangles || s.sceneTriangleCount <= 0 || lights.count < 1) return true;
  const std::optional<float> floor =
      causticFloorHeight(s.sceneTriangles, s.sceneTriangleCount, s.radius, s.glassRadiusFactor);
  if (!floor) return true;
  CausticMaps& maps = causticMaps();
  const std::int64_t floats = lights.count * kCausticMapFloats;
  if (!maps.photons.reserve(floats) || !maps.filtered.reserve(floats)) return true;  // no caustics, no error
  if (!device.check(gpu::memset(maps.photons.data(), 0, sizeof(float) * static_cast<std::size_t>(floats))))
    return false;
  const float glassRadius = s.radius * s.glassRadiusFactor;
  const float halfSize = 3.f * glassRadius;
  const float tanLightSize = std::tan(s.causticLightSize * 0.0174533f);
  for (int l = 0; l < lights.count; ++l) {
    const orb::Vec dir = lights.direction[l];
    float* photons = maps.photons.data() + l * kCausticMapFloats;
    const float cosIncidence = std::fabs(dir.z) / std::fmax(length(dir), 1e-12f);
    if (!device.check(causticPhotons(dir, glassRadius, s.causticIOR, *floor, kCausticResolution, halfSize,
                                     kPhotonGridSide, photons, tanLightSize)) ||
        !device.check(causticNormalise(photons, maps.filtered.data() + l * kCausticMapFloats, kCausticResolution,
                                       halfSize, cosIncidence, s.causticBlur)))
      return false;
  }
  out = {maps.filtered.data(), halfSize, *floor};
  return true;
}

std::int32_t showEnvironment(const RenderSettings& s) {
  if (s.bgMode == 2) return 1;
  if (s.bgMode == 0) return s.envBackground != 0 ? 1 : 0;
  return 0;
}

FinishArgs finishArgs(const RenderSettings& s, const FinishBuffers& b) {
  FinishArgs a{};
  a.camera = s.camera;
  a.width = s.width;
  a.height = s.height;
  a.tanHalfFovY = b.tanHalfFovY;
  a.radius = s.radius;
  a.background = {s.bgR, s.bgG, s.bgB};
  a.glass = s.glass ? 1 : 0;
  a.glassReflect = s.glassReflect;
  a.glassRim = s.glassRim;
  a.glassSpec = s.glassSpec;
  a.glassRadiusFactor = s.glassRadiusFactor;
  a.glassIOR = s.glassIOR;
  a.glassThickness = s.glassThickness;
  a.glassSolid = s.glassSolid ? 1 : 0;
  a.envIntensity = s.envIntensity;
  a.fogDensity = s.fogDensity;
  a.fog = {s.fogR, s.fogG, s.fogB};
  a.fogGlow = s.fogGlow;
  a.lights = b.lights;
  a.hdri = b.hdri;
  a.hdriWidth = b.hdri ? s.hdriWidth : 0;
  a.hdriHeight = b.hdri ? s.hdriHeight : 0;
  a.envRotation = s.envRotation;
  a.hdriScale = s.envIntensity;
  a.showEnvironment = showEnvironment(s);
  a.backgroundImage = b.background;
  a.matteDepth = b.matteDepth;
  a.matteGlass = s.matteGlass ? 1 : 0;
  a.passAccumulator = b.passAccumulator;
  a.passOutput = b.passOutput;
  a.transparent = s.bgMode == 1 ? 1 : 0;
  a.alphaMode = s.alphaMode;
  a.reflMode = s.reflMode;
  a.reflection = {s.reflR, s.reflG, s.reflB};
  a.sceneTriangles = b.sceneTriangles;
  a.sceneDepth = b.sceneDepth;
  a.sceneIndex = b.sceneIndex;
  a.catcherStrength = s.catcherStrength;
  a.sceneAmbient = s.sceneAmbient;
  a.grid = b.grid;
  a.density = b.density;
  a.shadowScale = (s.absorbR + s.absorbG + s.absorbB) / 3.f * s.shadow;
  a.bgPlane = s.radius * s.bgDistance;
  a.causticMaps = b.caustics.maps;
  a.causticResolution = kCausticResolution;
  a.causticHalfSize = b.caustics.halfSize;
  a.floorHeight = b.caustics.floorHeight;
  a.causticStrength = s.causticStrength;
  a.causticRadius = s.radius * s.glassRadiusFactor;
  a.causticInk = s.causticInk;
  a.bubbleCount = s.glass ? s.bubbles : 0;
  a.bubbleSize = s.bubbleSize;
  a.bubbleSizeVar = s.bubbleSizeVar;
  a.bubbleRise = s.bubbleRise;
  a.bubbleWobble = s.bubbleWobble;
  a.bubbleShine = s.bubbleShine;
  a.time = s.time;
  a.seedHash = s.seedHash;
  return a;
}

}  // namespace ink
