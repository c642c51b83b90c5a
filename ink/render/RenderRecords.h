#pragma once
// The records the renderer's kernels see, field for field as the kernels,
// the exporters and the finishing pass expect them: the camera, the density
// grid, the light set, the two triangle records and the splat and finish
// argument records. All plain data, copied to the device by value.
#include <cstddef>
#include <cstdint>

#include "ink/sim/AssembleParams.h"
#include "ink/sim/InkRecords.h"
#include "util/Vec.h"

namespace ink {

// The camera in the ink object's space.
struct Camera {
  orb::Vec eye;
  orb::Vec right;    // unit
  orb::Vec up;       // unit
  orb::Vec forward;  // unit, the viewing direction
  float tanHalfFov;  // of the horizontal field of view
};

// A cubic grid centred on the ink object's origin: cell (i, j, k) has linear
// index (k × n + j) × n + i.
struct GridInfo {
  std::int32_t n;  // cells per side
  float halfExtent;
  float cellSize;  // 2 × halfExtent / n
};

constexpr int kMaxLights = 8;

struct LightSet {
  std::int32_t count;                // 0 … 8
  orb::Vec direction[kMaxLights];    // unit, towards the light
  orb::Vec colour[kMaxLights];
};

// A triangle of a scene object (kind 0: lit and shadowed by the ink) or a
// shadow catcher (kind 1).
struct SceneTriangle {
  orb::Vec v0, v1, v2;  // ink space
  orb::Vec colour;
  float kind;
};

// A matte (kind 1: holdout) or occluder (kind 0) triangle.
struct MatteTriangle {
  orb::Vec v0, v1, v2;
  float kind;
};

// The by-value argument record of splatImage.
struct SplatArgs {
  Camera camera;
  std::int32_t width, height;
  float tanHalfFovY;
  float sourceWeight;  // mass of one particle of the source being splatted
  orb::Vec absorb;
  orb::Vec scatter;
  float scatterAmount;
  float shadow;
  orb::Vec ambient;
  orb::Vec emission;
  float emitAmount;
  LightSet lights;
  std::int32_t mapMode;  // 0 when no colour map was uploaded
  float colorStrength;
  orb::Vec mapAxis;  // unit
  float colorScale;
  float mapRadius;
  const float* colorMap;  // RGB texels
  std::int32_t mapWidth, mapHeight;
  float pointSize, pointSoftness, pointSizeJitter, pointBrightness;
  std::int32_t colorSticky;
  float* passes;  // 15 floats per pixel, or null
  std::int32_t group;
  AssembleParams assemble;
  float frameRate;
  std::int32_t falloffOn;
  float falloffFace, falloffEdge, falloffPower, falloffColor;
  orb::Vec falloffEdgeColour;
  std::int32_t plumeTint;
  orb::Vec plumeColour;
  std::int32_t colorBy;
  float colorByMin, colorByMax;
  orb::Vec rampStart, rampEnd;
  Params inkParams;
  float time;  // seconds
  const float* matteDepth;  // 2 floats per pixel, or null
  const float* sceneDepth;  // 1 float per pixel, or null
};

// The by-value argument record of finishImage, in its fixed field order.
struct FinishArgs {
  Camera camera;
  std::int32_t width, height;
  float tanHalfFovY;
  float radius;         // orb radius R
  orb::Vec background;  // background colour
  std::int32_t glass;
  float glassReflect, glassRim, glassSpec;
  float glassRadiusFactor;  // glass sphere radius Rg = R × factor
  float glassIOR, glassThickness;
  std::int32_t glassSolid;
  float envIntensity;
  float fogDensity;
  orb::Vec fog;
  float fogGlow;
  LightSet lights;
  const float* hdri;  // float RGB, row 0 at the top, or null
  std::int32_t hdriWidth, hdriHeight;
  float envRotation;  // radians
  float hdriScale;    // envIntensity again, as the HDRI's scale
  std::int32_t showEnvironment;
  const float* backgroundImage;  // RGBA per pixel, or null
  const float* matteDepth;       // pairs per pixel, or null
  std::int32_t matteGlass;
  const float* passAccumulator;  // 15 floats per pixel, or null
  float* passOutput;             // 24 floats per pixel, or null
  std::int32_t transparent;      // background mode 1
  std::int32_t alphaMode, reflMode;
  orb::Vec reflection;  // reflection colour
  const SceneTriangle* sceneTriangles;
  const float* sceneDepth;           // or null
  const std::int32_t* sceneIndex;    // or null
  float catcherStrength, sceneAmbient;
  GridInfo grid;
  const float* density;
  float shadowScale;  // mean absorption × shadow
  float bgPlane;      // R × bgDistance
  const float* causticMaps;  // resolution² floats per light, or null
  std::int32_t causticResolution;
  float causticHalfSize, floorHeight, causticStrength, causticRadius, causticInk;
  std::int32_t bubbleCount;
  float bubbleSize, bubbleSizeVar, bubbleRise, bubbleWobble, bubbleShine;
  float time;  // seconds
  std::int32_t seedHash;
};

static_assert(sizeof(Camera) == 13 * 4);
static_assert(sizeof(GridInfo) == 3 * 4);
static_assert(sizeof(LightSet) == 4 + 2 * kMaxLights * 12);
static_assert(sizeof(SceneTriangle) == 13 * 4);
static_assert(sizeof(MatteTriangle) == 10 * 4);

// The splat record's groups follow one another in the fixed order.
static_assert(offsetof(SplatArgs, width) == sizeof(Camera));
static_assert(offsetof(SplatArgs, sourceWeight) == offsetof(SplatArgs, tanHalfFovY) + 4);
static_assert(offsetof(SplatArgs, absorb) == offsetof(SplatArgs, sourceWeight) + 4);
static_assert(offsetof(SplatArgs, shadow) == offsetof(SplatArgs, scatterAmount) + 4);
static_assert(offsetof(SplatArgs, ambient) == offsetof(SplatArgs, shadow) + 4);
static_assert(offsetof(SplatArgs, lights) == offsetof(SplatArgs, emitAmount) + 4);
static_assert(offsetof(SplatArgs, mapMode) == offsetof(SplatArgs, lights) + sizeof(LightSet));
static_assert(offsetof(SplatArgs, mapRadius) == offsetof(SplatArgs, mapMode) + 6 * 4);
static_assert(offsetof(SplatArgs, colorMap) > offsetof(SplatArgs, mapRadius));
static_assert(offsetof(SplatArgs, pointSize) == offsetof(SplatArgs, mapHeight) + 4);
static_assert(offsetof(SplatArgs, colorSticky) == offsetof(SplatArgs, pointBrightness) + 4);
static_assert(offsetof(SplatArgs, passes) > offsetof(SplatArgs, colorSticky));
static_assert(offsetof(SplatArgs, group) == offsetof(SplatArgs, passes) + sizeof(float*));
static_assert(offsetof(SplatArgs, assemble) == offsetof(SplatArgs, group) + 4);
static_assert(offsetof(SplatArgs, frameRate) == offsetof(SplatArgs, assemble) + sizeof(AssembleParams));
static_assert(offsetof(SplatArgs, falloffOn) == offsetof(SplatArgs, frameRate) + 4);
static_assert(offsetof(SplatArgs, plumeTint) == offsetof(SplatArgs, falloffEdgeColour) + 12);
static_assert(offsetof(SplatArgs, colorBy) == offsetof(SplatArgs, plumeColour) + 12);
static_assert(offsetof(SplatArgs, inkParams) >= offsetof(SplatArgs, rampEnd) + 12);
static_assert(offsetof(SplatArgs, time) == offsetof(SplatArgs, inkParams) + sizeof(Params));
static_assert(offsetof(SplatArgs, matteDepth) > offsetof(SplatArgs, time));
static_assert(offsetof(SplatArgs, sceneDepth) == offsetof(SplatArgs, matteDepth) + sizeof(float*));

// The finish record's groups follow one another in the fixed order.
static_assert(offsetof(FinishArgs, width) == sizeof(Camera));
static_assert(offsetof(FinishArgs, radius) == offsetof(FinishArgs, tanHalfFovY) + 4);
static_assert(offsetof(FinishArgs, glass) == offsetof(FinishArgs, background) + 12);
static_assert(offsetof(FinishArgs, envIntensity) == offsetof(FinishArgs, glass) + 8 * 4);
static_assert(offsetof(FinishArgs, fogGlow) == offsetof(FinishArgs, fogDensity) + 16);
static_assert(offsetof(FinishArgs, lights) == offsetof(FinishArgs, fogGlow) + 4);
static_assert(offsetof(FinishArgs, hdri) >= offsetof(FinishArgs, lights) + sizeof(LightSet));
static_assert(offsetof(FinishArgs, showEnvironment) == offsetof(FinishArgs, hdri) + sizeof(float*) + 4 * 4);
static_assert(offsetof(FinishArgs, matteGlass) == offsetof(FinishArgs, matteDepth) + sizeof(float*));
static_assert(offsetof(FinishArgs, passOutput) == offsetof(FinishArgs, passAccumulator) + sizeof(float*));
static_assert(offsetof(FinishArgs, transparent) == offsetof(FinishArgs, passOutput) + sizeof(float*));
static_assert(offsetof(FinishArgs, reflection) == offsetof(FinishArgs, transparent) + 3 * 4);
static_assert(offsetof(FinishArgs, sceneIndex) == offsetof(FinishArgs, sceneTriangles) + 2 * sizeof(float*));
static_assert(offsetof(FinishArgs, sceneAmbient) == offsetof(FinishArgs, catcherStrength) + 4);
static_assert(offsetof(FinishArgs, grid) == offsetof(FinishArgs, sceneAmbient) + 4);
static_assert(offsetof(FinishArgs, bgPlane) == offsetof(FinishArgs, shadowScale) + 4);
static_assert(offsetof(FinishArgs, causticInk) == offsetof(FinishArgs, causticResolution) + 5 * 4);
static_assert(offsetof(FinishArgs, seedHash) == offsetof(FinishArgs, bubbleCount) + 7 * 4);

}  // namespace ink
