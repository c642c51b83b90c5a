#pragma once
// The per-frame render settings: what scene gathering reads from the ink
// object's parameters at the frame's time and hands to the render host. Host
// arrays are borrowed: the caller keeps them alive for the render.
#include <cstdint>

#include "ink/render/RenderRecords.h"
#include "ink/sim/AssembleParams.h"
#include "ink/sim/InkRecords.h"
#include "util/Vec.h"

namespace ink {

struct RenderLight {
  orb::Vec direction;  // towards the light
  orb::Vec colour;
};

struct RenderSettings {
  // Output.
  std::int32_t width = 960, height = 960;
  Camera camera{};

  // The light used when the scene has none: towards it, colour
  // lightIntensity on all channels.
  orb::Vec lightDirection{-0.35f, -0.45f, 0.82f};

  // Medium.
  float absorbR = 0, absorbG = 0, absorbB = 0;
  float scatterR = 0, scatterG = 0, scatterB = 0;
  float scatterAmount = 0, lightIntensity = 0, shadow = 0, ambient = 0;
  float emitR = 0, emitG = 0, emitB = 0, emitAmount = 0;

  // Glass.
  bool glass = false;
  float glassReflect = 0, glassRim = 0, glassSpec = 0;
  float glassRadiusFactor = 1.015f;  // glass sphere radius in units of `radius`
  float glassIOR = 0, glassThickness = 0;
  bool glassSolid = false;
  float envIntensity = 0;

  // Bubbles and time.
  std::int32_t bubbles = 0;
  float bubbleSize = 0, bubbleSizeVar = 0, bubbleRise = 0, bubbleWobble = 0, bubbleShine = 0;
  float time = 0;             // seconds
  std::int32_t seedHash = 0;  // seed × 747796405 − 1403630843

  // Grid.
  std::int32_t gridRes = 0;
  float radius = 0;
  float sceneExtent = 0;  // half-size the scene's particles can reach

  // Fog.
  float fogDensity = 0, fogR = 0, fogG = 0, fogB = 0, fogGlow = 0;

  // Scene lights (none: the default light).
  std::int32_t lightCount = 0;
  const RenderLight* lights = nullptr;

  // Environment: float RGB, row 0 at the top.
  const float* hdri = nullptr;
  std::int32_t hdriWidth = 0, hdriHeight = 0;
  float envRotation = 0;  // radians
  std::int32_t envBackground = 0;
  float envLighting = 0;

  // Colour map: float RGB.
  const float* colorMap = nullptr;
  std::int32_t colorMapWidth = 0, colorMapHeight = 0;
  std::int32_t mapMode = 0;  // 0 … 5
  orb::Vec mapAxis{0, 0, 1};
  float colorStrength = 0, colorScale = 0;

  // Background colour and image (float RGBA per output pixel, or null).
  float bgR = 0, bgG = 0, bgB = 0;
  const float* background = nullptr;

  // Points.
  float pointSize = 0, pointSoftness = 0, pointSizeJitter = 0, pointBrightness = 0;

  // Render passes wanted (cleared by the antialias wrapper without a pass output).
  std::int32_t passes = 0;

  // Previous positions, one per particle in streaming order, or null.
  const orb::Vec* previousPositions = nullptr;
  std::int64_t previousCount = 0;

  // Per source, in source order: group index and 64-bit id base.
  std::int32_t sourceCount = 0;
  const std::int32_t* sourceGroups = nullptr;
  const std::uint64_t* sourceIdBases = nullptr;

  AssembleParams assemble{};

  float bgDistance = 0;
  std::int32_t bgMode = 0, alphaMode = 0, reflMode = 0;
  float reflR = 0, reflG = 0, reflB = 0;

  // Caustics.
  bool caustics = false;
  float causticIOR = 0, causticStrength = 0, causticBlur = 0, causticLightSize = 0, causticInk = 0;

  // Colour by.
  bool plumeTint = false;
  float plumeColR = 0, plumeColG = 0, plumeColB = 0;
  std::int32_t colorBy = 0;
  float colorByMin = 0, colorByMax = 0;
  float rampAR = 0, rampAG = 0, rampAB = 0, rampBR = 0, rampBG = 0, rampBB = 0;

  // The frame's ink record (loop length, loop flag, start time) and frame rate.
  Params inkParams{};
  float frameRate = 0;

  // Scene, matte and occluder triangles.
  const SceneTriangle* sceneTriangles = nullptr;
  std::int64_t sceneTriangleCount = 0;
  const MatteTriangle* matteTriangles = nullptr;
  std::int64_t matteTriangleCount = 0;
  float catcherStrength = 0, sceneAmbient = 0;
  std::int32_t colorSticky = 0;
  bool falloffOn = false;
  float falloffFace = 0, falloffEdge = 0, falloffPower = 0, falloffColor = 0;
  float falloffEdgeR = 0, falloffEdgeG = 0, falloffEdgeB = 0;
  bool matteGlass = false;
};

}  // namespace ink
