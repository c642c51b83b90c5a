// The "InkParameters" block against the published table: every parameter's
// id, name, type, default, range, label, flags and controls, and the
// fourteen rollouts. Scenes store values by these ids, so any drift here
// breaks saved files.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/sdk/ParamBlock2.h"
#include "host/sdk/StringTable.h"
#include "ink/InkObject.h"
#include "plugin/ClassDescriptors.h"

namespace {

// Kinds: F float (animatable), I int, B bool, N node, L node list, T map,
// M material, S file name.
struct Row {
  int id;
  const char* name;
  char kind;
  double def, lo, hi;
  int rollout;
  const char* label;
};

const Row kExpected[] = {
    {0, "radius", 'F', 50, 0.01, 100000, 0, "Radius"},
    {1, "renderCount", 'I', 20000000, 0, 2000000000, 0, "Render particles (0 = all the GPU holds)"},
    {2, "viewportCount", 'I', 300000, 1000, 5000000, 0, "Viewport particles"},
    {3, "seed", 'I', 42, 0, 1000000, 0, "Seed"},
    {4, "sheetAmount", 'F', 0.5, 0, 10, 0, "Veil sheets"},
    {5, "blobAmount", 'F', 0.48, 0, 10, 0, "Ink drops"},
    {6, "volumeAmount", 'F', 0.02, 0, 10, 0, "Volume dust"},
    {7, "shellAmount", 'F', 0, 0, 10, 0, "Glass skin"},
    {8, "meshAmount", 'F', 1, 0, 10, 0, "Emitter meshes"},
    {9, "sheetCount", 'I', 8, 0, 64, 0, "Sheet count"},
    {10, "sheetSize", 'F', 1, 0.05, 2, 0, "Sheet size"},
    {11, "sheetThickness", 'F', 0.0015, 0, 0.1, 0, "Sheet thickness"},
    {12, "sheetWarp", 'F', 1, 0, 4, 0, "Sheet bend"},
    {13, "blobCount", 'I', 4, 1, 64, 0, "Drop count"},
    {14, "blobSize", 'F', 0.07, 0.005, 0.6, 0, "Drop size"},
    {41, "emitterObjects", 'L', 0, 0, 0, 0, "Emitter meshes (particles start on their surface)"},
    {68, "inkEnabled", 'B', 1, 0, 0, 0, "Ink tracers on"},
    {148, "viewportSphere", 'B', 1, 0, 0, 0, "Show the sphere outline in the viewport"},
    {172, "containerObject", 'N', 0, 0, 0, 0, "Container (any closed mesh instead of the sphere)"},
    {173, "containerRes", 'I', 96, 16, 256, 0, "Container detail (distance grid)"},
    {15, "loopSeconds", 'F', 9, 0.5, 120, 1, "Loop seconds"},
    {16, "loop", 'B', 1, 0, 0, 1, "Seamless loop (two generations)"},
    {17, "startFrame", 'I', 0, -100000, 100000, 1, "Start frame (no loop)"},
    {18, "timeScale", 'F', 1, 0, 20, 1, "Time scale"},
    {19, "substeps", 'I', 2, 1, 16, 1, "Substeps per frame"},
    {20, "curlStrength", 'F', 3.6, 0, 500, 1, "Turbulence strength"},
    {21, "curlScale", 'F', 0.75, 0.05, 20, 1, "Turbulence scale"},
    {22, "curlOctaves", 'I', 3, 1, 6, 1, "Turbulence detail"},
    {23, "curlEvolve", 'F', 0.7, 0, 10, 1, "Turbulence evolve"},
    {24, "wallSoftness", 'F', 0.12, 0.01, 0.5, 1, "Glass wall softness"},
    {25, "spin", 'F', 0.08, -10, 10, 1, "Global spin (rad/s)"},
    {26, "surfaceCount", 'I', 8, 0, 48, 2, "Surface whirlpools"},
    {27, "surfaceStrength", 'F', 16, -500, 500, 2, "Whirlpool strength"},
    {28, "surfaceCoreDeg", 'F', 26, 1, 89, 2, "Whirlpool size (deg)"},
    {29, "surfaceDepth", 'F', 0.6, 0.02, 1, 2, "Whirlpool depth"},
    {30, "wander", 'F', 0.6, 0, 3, 2, "Whirlpool wander"},
    {31, "volumeCount", 'I', 5, 0, 48, 2, "Inner vortices"},
    {32, "volumeStrength", 'F', 15, -500, 500, 2, "Inner strength"},
    {33, "volumeCore", 'F', 0.3, 0.01, 2, 2, "Inner core size"},
    {34, "volumeLength", 'F', 0.6, 0.02, 4, 2, "Inner length"},
    {35, "volumeOrbit", 'F', 0.5, 0, 6.3, 2, "Inner orbit"},
    {36, "modelSeed", 'I', 42, 0, 1000000, 2, "Vortex seed"},
    {37, "objectStrength", 'F', 15, -500, 500, 2, "Object vortex strength"},
    {38, "objectCore", 'F', 0.2, 0.01, 2, 2, "Object vortex core"},
    {39, "objectLength", 'F', 0.6, 0.02, 10, 2, "Object vortex length"},
    {40, "vortexObjects", 'L', 0, 0, 0, 2, "Vortex objects (local Z = axis; User Props strength= core= length=)"},
    {42, "density", 'F', 10, 0, 1000, 3, "Ink density"},
    {43, "absorbR", 'F', 1, 0, 10, 3, "Absorb red"},
    {44, "absorbG", 'F', 0.68, 0, 10, 3, "Absorb green"},
    {45, "absorbB", 'F', 0.4, 0, 10, 3, "Absorb blue"},
    {46, "scatterR", 'F', 0.35, 0, 10, 3, "Scatter red"},
    {47, "scatterG", 'F', 0.55, 0, 10, 3, "Scatter green"},
    {48, "scatterB", 'F', 0.95, 0, 10, 3, "Scatter blue"},
    {49, "scatterAmount", 'F', 0.12, 0, 10, 3, "Scatter amount"},
    {50, "lightIntensity", 'F', 1.4, 0, 100, 3, "Light intensity"},
    {51, "shadow", 'F', 1.2, 0, 20, 3, "Self shadow"},
    {52, "ambient", 'F', 0.12, 0, 10, 3, "Ambient"},
    {53, "glass", 'B', 1, 0, 0, 3, "Glass sphere"},
    {54, "glassReflect", 'F', 0.9, 0, 4, 3, "Glass reflection"},
    {55, "glassRim", 'F', 0.45, 0, 1, 3, "Glass rim"},
    {56, "glassSpec", 'F', 0.4, 0, 20, 3, "Glass highlight"},
    {57, "gridRes", 'I', 192, 32, 512, 3, "Shadow grid"},
    {58, "lightObject", 'N', 0, 0, 0, 3, "Light direction object (optional)"},
    {76, "glassIOR", 'F', 1.5, 1, 3, 3, "Glass IOR (refraction)"},
    {77, "glassThickness", 'F', 0.03, 0.001, 0.5, 3, "Glass wall thickness"},
    {78, "glassSolid", 'B', 0, 0, 0, 3, "Solid glass ball (lens)"},
    {79, "envIntensity", 'F', 1, 0, 20, 3, "Reflection brightness"},
    {80, "fogDensity", 'F', 0, 0, 100, 3, "Fog density"},
    {81, "fogR", 'F', 0.04, 0, 10, 3, "Fog red"},
    {82, "fogG", 'F', 0.09, 0, 10, 3, "Fog green"},
    {83, "fogB", 'F', 0.22, 0, 10, 3, "Fog blue"},
    {84, "fogGlow", 'F', 0, 0, 100, 3, "Fog glow"},
    {85, "emitR", 'F', 0.25, 0, 10, 3, "Self illum red"},
    {86, "emitG", 'F', 0.6, 0, 10, 3, "Self illum green"},
    {87, "emitB", 'F', 1, 0, 10, 3, "Self illum blue"},
    {88, "emitAmount", 'F', 0, 0, 100, 3, "Self illumination (0.02-0.1)"},
    {100, "pointSize", 'F', 1, 0, 64, 3, "Particle size (pixels, 1 = finest)"},
    {101, "pointSoftness", 'F', 0.5, 0, 1, 3, "Particle softness (0 hard dot, 1 soft)"},
    {102, "pointSizeJitter", 'F', 0, 0, 1, 3, "Particle size variation"},
    {103, "pointBrightness", 'F', 1, 0, 100, 3, "Particle opacity / brightness"},
    {104, "matteObjects", 'L', 0, 0, 0, 3, "Matte objects: hide the ink, alpha 0 (holdout)"},
    {105, "occluderObjects", 'L', 0, 0, 0, 3, "Occluders: hide the ink behind them, keep background"},
    {106, "matteGlass", 'B', 1, 0, 0, 3, "Mattes also cut the glass"},
    {115, "antialias", 'I', 2, 1, 4, 3, "Antialiasing (1 off, 2-4 = samples per pixel side)"},
    {130, "renderPasses", 'B', 1, 0, 0, 3, "EXR render passes (ink, glass, emission, depth, motion, normal, masks)"},
    {131, "exrFloat", 'B', 0, 0, 0, 3, "EXR full 32-bit float (off = half)"},
    {140, "falloffOn", 'B', 0, 0, 0, 3, "Falloff (fabric look: veils denser edge-on)"},
    {141, "falloffFace", 'F', 0.35, 0, 10, 3, "Falloff: density facing the camera"},
    {142, "falloffEdge", 'F', 2, 0, 20, 3, "Falloff: density edge-on"},
    {143, "falloffPower", 'F', 2, 0.05, 10, 3, "Falloff: curve (higher = only the very edges)"},
    {144, "falloffEdgeR", 'F', 0.55, 0, 1, 3, "Falloff: edge colour R"},
    {145, "falloffEdgeG", 'F', 0.85, 0, 1, 3, "Falloff: edge colour G"},
    {146, "falloffEdgeB", 'F', 1, 0, 1, 3, "Falloff: edge colour B"},
    {147, "falloffColor", 'F', 0, 0, 1, 3, "Falloff: edge colour amount"},
    {149, "bgMode", 'I', 0, 0, 2, 3, "Background: 0 colour, 1 transparent, 2 HDRI"},
    {150, "bgR", 'F', 1, 0, 10, 3, "Background colour R"},
    {151, "bgG", 'F', 1, 0, 10, 3, "Background colour G"},
    {152, "bgB", 'F', 1, 0, 10, 3, "Background colour B"},
    {153, "alphaMode", 'I', 1, 0, 2, 3, "Alpha: 0 ink only, 1 ink + glass reflection, 2 opaque sphere"},
    {154, "reflMode", 'I', 0, 0, 3, 3, "Glass reflects: 0 studio, 1 HDRI, 2 colour, 3 nothing"},
    {155, "reflR", 'F', 1, 0, 10, 3, "Reflection colour R"},
    {156, "reflG", 'F', 1, 0, 10, 3, "Reflection colour G"},
    {157, "reflB", 'F', 1, 0, 10, 3, "Reflection colour B"},
    {176, "bgDistance", 'F', 4, 0, 1000, 3, "Background behind the orb (radii, for refraction)"},
    {177, "bubbles", 'I', 0, 0, 2000, 3, "Air bubbles in the glass (count, 0 = off)"},
    {178, "bubbleSize", 'F', 0.025, 0.002, 0.2, 3, "Bubble size (ratio of radius)"},
    {179, "bubbleSizeVar", 'F', 0.7, 0, 1, 3, "Bubble size variation"},
    {180, "bubbleRise", 'F', 0.15, 0, 5, 3, "Bubble rise speed (radii per second)"},
    {181, "bubbleWobble", 'F', 0.04, 0, 0.5, 3, "Bubble wobble (radii)"},
    {182, "bubbleShine", 'F', 1, 0, 5, 3, "Bubble shine (rim + highlight)"},
    {59, "silkSource", 'N', 0, 0, 0, 4, "Cloth source (Iridel object or any UV mesh)"},
    {60, "silkCount", 'I', 100000000, 0, 2000000000, 4, "Silk render particles"},
    {61, "silkViewport", 'I', 300000, 0, 5000000, 4, "Silk viewport particles"},
    {62, "silkThickness", 'F', 0.12, 0, 100, 4, "Silk thickness"},
    {63, "silkWrinkle", 'F', 0.6, 0, 100, 4, "Fine folds height"},
    {64, "silkWrinkleScale", 'F', 40, 0.1, 1000, 4, "Fine folds per sheet"},
    {65, "silkWrinkleDetail", 'I', 3, 1, 6, 4, "Fine folds detail"},
    {66, "silkFray", 'F', 0.03, 0, 0.5, 4, "Frayed edges"},
    {67, "silkDensity", 'F', 0.45, 0, 1000, 4, "Silk density"},
    {69, "swirlSource", 'N', 0, 0, 0, 5, "Vortex Force object (its settings and seed objects)"},
    {70, "swirlCount", 'I', 20000000, 0, 2000000000, 5, "Swirl render particles"},
    {71, "swirlViewport", 'I', 200000, 0, 5000000, 5, "Swirl viewport particles"},
    {72, "swirlTimeUnit", 'F', 1, 0.0001, 10000, 5, "Force time unit (frames; 1 = tyFlow)"},
    {73, "swirlSubsteps", 'I', 4, 1, 64, 5, "Swirl substeps"},
    {74, "swirlDensity", 'F', 2, 0, 1000, 5, "Swirl density"},
    {75, "swirlStartFrame", 'I', 0, -100000, 100000, 5, "Swirl start frame"},
    {89, "colorMode", 'I', 0, 0, 7, 6, "Colour: 0 off 1 Z 2 radial 3 sphere 4 top 5 front 6 X 7 Y"},
    {90, "colorMap", 'T', 0, 0, 0, 6, "Colour map (any texmap: Gradient Ramp, Bitmap...)"},
    {91, "colorStrength", 'F', 1, 0, 1, 6, "Colour strength"},
    {92, "colorScale", 'F', 1, 0.01, 100, 6, "Colour map scale"},
    {93, "useSceneLights", 'B', 1, 0, 0, 6, "Light with the scene's lights"},
    {94, "lightScale", 'F', 1, 0, 100, 6, "Scene light strength"},
    {95, "lightObjects", 'L', 0, 0, 0, 6, "Only these lights (empty = every light in the scene)"},
    {96, "envFile", 'S', 0, 0, 0, 6, "HDRI file (.hdr .exr .png ...)"},
    {97, "envRotation", 'F', 0, -360, 360, 6, "HDRI rotation (deg)"},
    {98, "envBackground", 'B', 0, 0, 0, 6, "HDRI as background"},
    {99, "envLighting", 'F', 1, 0, 100, 6, "HDRI light on the ink"},
    {116, "particleMtl", 'M', 0, 0, 0, 6, "Particle material (diffuse colour or map, self-illum, opacity)"},
    {128, "colorSticky", 'B', 1, 0, 0, 6, "Colour sticks to the particles (off = planar, fixed in space)"},
    {107, "assembleOn", 'B', 0, 0, 0, 7, "Assemble on"},
    {108, "assembleProgress", 'F', 1, 0, 1, 7, "Progress (key it: 0 sources, 1 orb)"},
    {109, "assembleSpread", 'F', 0.6, 0, 0.98, 7, "Departure spread"},
    {110, "assembleTurns", 'F', 1.5, -10, 10, 7, "Spiral turns on the way"},
    {111, "assembleArc", 'F', 0.3, -2, 4, 7, "Path bulge (orb radii)"},
    {112, "assembleNoise", 'F', 0.15, 0, 2, 7, "Wander mid-flight (orb radii)"},
    {113, "assembleSource1", 'N', 0, 0, 0, 7, "Source 1 (sphere, box, any object)"},
    {114, "assembleSource2", 'N', 0, 0, 0, 7, "Source 2 (optional: half the particles)"},
    {174, "assembleSmoke", 'F', 0.6, 0, 5, 7, "Smoke curls on the way (orb radii)"},
    {175, "assembleSmokeScale", 'F', 2, 0.1, 20, 7, "Smoke curl size (swirls per radius)"},
    {117, "prtVelocity", 'B', 1, 0, 0, 8, "Velocity (units per second, for motion blur)"},
    {118, "prtColor", 'B', 1, 0, 0, 8, "Color (colour map / material / ink colour)"},
    {119, "prtEmission", 'B', 1, 0, 0, 8, "Emission (self-illumination)"},
    {120, "prtNormal", 'B', 1, 0, 0, 8, "Normal (from the density: veil surface direction)"},
    {121, "prtID", 'B', 1, 0, 0, 8, "ID (stable per particle)"},
    {122, "prtAge", 'B', 1, 0, 0, 8, "Age (seconds since the particle was born)"},
    {123, "prtSource", 'B', 1, 0, 0, 8, "Source + Group (assemble source 0/1/2, group ink/silk/swirl)"},
    {124, "prtWorldSpace", 'B', 0, 0, 0, 8, "World space (off = object space, load with the object's transform)"},
    {125, "prtNormalRes", 'I', 128, 32, 512, 8, "Normal grid resolution"},
    {126, "prtVelocityScale", 'F', 1, 0, 100, 8, "Velocity scale"},
    {127, "prtColorScale", 'F', 1, 0, 100, 8, "Color / Emission multiplier"},
    {129, "prtRest", 'B', 1, 0, 0, 8, "Rest (birth position / cloth UV, for re-texturing)"},
    {132, "prtInOn", 'B', 1, 0, 0, 9, "Render the PRT sequence below"},
    {133, "prtInFile", 'S', 0, 0, 0, 9, "PRT file (any frame of the sequence)"},
    {134, "prtInFrameOffset", 'I', 0, -100000, 100000, 9, "Frame offset"},
    {135, "prtInDensity", 'F', 1, 0, 1000, 9, "Density"},
    {136, "prtInUseColor", 'B', 1, 0, 0, 9, "Use the file's Color / Emission"},
    {137, "prtInWorld", 'B', 1, 0, 0, 9, "File is in world space (Krakatoa, tyFlow)"},
    {138, "prtInViewport", 'I', 300000, 0, 50000000, 9, "Viewport particles"},
    {139, "prtInLimit", 'I', 0, 0, 2000000000, 9, "Render particles (0 = all in the file)"},
    {158, "colorBy", 'I', 0, 0, 7, 10, "Colour by: 0 off 1 speed 2 age 3 density 4 depth 5 height 6 radius 7 group/source"},
    {159, "colorByMin", 'F', 0, -100000, 100000, 10, "Channel value at the start of the ramp"},
    {160, "colorByMax", 'F', 50, -100000, 100000, 10, "Channel value at the end of the ramp"},
    {161, "rampAR", 'F', 0.05, 0, 1, 10, "Ramp start R (used when no colour map)"},
    {162, "rampAG", 'F', 0.15, 0, 1, 10, "Ramp start G"},
    {163, "rampAB", 'F', 0.45, 0, 1, 10, "Ramp start B"},
    {164, "rampBR", 'F', 0.55, 0, 1, 10, "Ramp end R"},
    {165, "rampBG", 'F', 0.9, 0, 1, 10, "Ramp end G"},
    {166, "rampBB", 'F', 1, 0, 1, 10, "Ramp end B"},
    {167, "showMark", 'B', 1, 0, 0, 11, "Show the TessaronFX mark in the viewport"},
    {168, "sceneObjects", 'L', 0, 0, 0, 12, "Scene objects to render (lit, with the ink's shadow)"},
    {169, "shadowCatchers", 'L', 0, 0, 0, 12, "Shadow catchers (invisible, only the ink's shadow)"},
    {170, "catcherStrength", 'F', 1, 0, 10, 12, "Shadow strength on catchers"},
    {171, "sceneAmbient", 'F', 0.25, 0, 10, 12, "Scene objects: ambient light"},
    {205, "caustics", 'B', 1, 0, 0, 12, "Caustics: the orb focuses light onto scene objects / catchers"},
    {206, "causticIOR", 'F', 1.33, 1, 3, 12, "Caustic IOR (orb filled with: 1.33 water, 1.5 glass)"},
    {207, "causticStrength", 'F', 1, 0, 20, 12, "Caustic strength"},
    {208, "causticBlur", 'F', 1, 0, 10, 12, "Caustic softness (cells)"},
    {209, "causticLightSize", 'F', 6, 0, 45, 12, "Light size for caustics (degrees; bigger = softer, wider)"},
    {210, "causticInk", 'F', 0.3, 0, 1, 12, "Ink dims the caustic (0 none, 1 full ink shadow)"},
    {183, "plumeOn", 'B', 0, 0, 0, 13, "Ink in water on (simulated water carries the ink)"},
    {184, "plumeCount", 'I', 20000000, 0, 2000000000, 13, "Render particles"},
    {185, "plumeViewport", 'I', 300000, 0, 5000000, 13, "Viewport particles"},
    {186, "plumeStart", 'I', 0, -100000, 100000, 13, "Start frame"},
    {187, "plumeEnd", 'I', 150, -100000, 100000, 13, "End frame (water simulated up to here)"},
    {188, "plumeEmit", 'F', 2.5, 0, 1000, 13, "Pour time (seconds)"},
    {189, "plumeSrcX", 'F', 0, -1, 1, 13, "Source X (radii)"},
    {190, "plumeSrcY", 'F', 0, -1, 1, 13, "Source Y (radii)"},
    {191, "plumeSrcZ", 'F', 0.6, -1, 1, 13, "Source Z (radii)"},
    {192, "plumeSrcSize", 'F', 0.08, 0.01, 0.5, 13, "Source size (radii)"},
    {193, "plumeSink", 'F', 4, -10, 10, 13, "Ink weight (sinks; negative rises)"},
    {194, "plumePush", 'F', 3, 0, 20, 13, "Pour push"},
    {195, "plumeBillow", 'F', 15, 0, 100, 13, "Billows (vorticity)"},
    {196, "plumeSwirl", 'F', 0.3, 0, 5, 13, "Water stir"},
    {197, "plumeRes", 'I', 96, 16, 160, 13, "Water resolution"},
    {198, "plumeDensity", 'F', 3, 0, 1000, 13, "Ink density"},
    {199, "plumeCloth", 'B', 1, 0, 0, 13, "The cloth is a wall in the water (Particle Silk source)"},
    {200, "plumeTint", 'B', 1, 0, 0, 13, "Own colour for the ink in water"},
    {201, "plumeColR", 'F', 0.06, 0, 1, 13, "Ink colour R"},
    {202, "plumeColG", 'F', 0.28, 0, 1, 13, "Ink colour G"},
    {203, "plumeColB", 'F', 0.85, 0, 1, 13, "Ink colour B"},
    {204, "plumeClothDrag", 'F', 0.15, 0, 5, 13, "Water moves the cloth (seconds of drift)"},
};

std::string label(int stringId) {
  const MCHAR* s = host::resourceString(GetInkDesc()->HInstance(), stringId);
  return s ? host::narrow(s) : std::string("<missing>");
}

int expectedType(char kind) {
  switch (kind) {
    case 'F': return TYPE_FLOAT;
    case 'I': return TYPE_INT;
    case 'B': return TYPE_BOOL;
    case 'N': return TYPE_INODE;
    case 'L': return TYPE_INODE_TAB;
    case 'T': return TYPE_TEXMAP;
    case 'M': return TYPE_MTL;
    default: return TYPE_FILENAME;
  }
}

}  // namespace

TEST(InkParameterTableTest, BlockHasEveryIdFromZeroTo210) {
  ParamBlockDesc2& b = *GetInkParamBlockDesc();
  EXPECT_EQ(b.ID, 0);
  EXPECT_EQ(b.int_name, L"InkParameters");
  EXPECT_EQ(b.ref_no, 0);
  EXPECT_EQ(b.cd, GetInkDesc());
  EXPECT_EQ(b.flags, P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP);
  ASSERT_EQ(b.Count(), 211);
  ASSERT_EQ(std::size(kExpected), 211u);
  for (int i = 0; i < b.Count(); ++i) EXPECT_EQ(b.GetParamDefByIndex(i).id, i);
  EXPECT_TRUE(b.Validate().empty());
}

TEST(InkParameterTableTest, EveryRowMatches) {
  ParamBlockDesc2& b = *GetInkParamBlockDesc();
  for (const Row& row : kExpected) {
    SCOPED_TRACE(row.name);
    const ParamDef* p = b.GetParamDef(static_cast<ParamID>(row.id));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(host::narrow(p->internalName), row.name);
    EXPECT_EQ(p->type, expectedType(row.kind));
    EXPECT_EQ(p->labelId, 400 + row.id);
    EXPECT_EQ(label(p->labelId), row.label);
    EXPECT_EQ(p->ui.map, row.rollout);
    const int a = 2000 + 2 * row.id, c = 2001 + 2 * row.id;
    switch (row.kind) {
      case 'F':
      case 'I':
        EXPECT_EQ(p->flags, (row.kind == 'F' ? P_ANIMATABLE : 0) | P_RESET_DEFAULT);
        EXPECT_EQ(p->def.number, row.kind == 'F' ? double(float(row.def)) : row.def);
        ASSERT_TRUE(p->range.has_value());
        EXPECT_EQ(p->range->lo, row.lo);
        EXPECT_EQ(p->range->hi, row.hi);
        EXPECT_EQ(p->ui.control, TYPE_SPINNER);
        EXPECT_EQ(p->ui.edit, row.kind == 'F' ? EDITTYPE_FLOAT : EDITTYPE_INT);
        EXPECT_EQ(p->ui.controls, (std::vector<int>{a, c}));
        break;
      case 'B':
        EXPECT_EQ(p->flags, P_RESET_DEFAULT);
        EXPECT_EQ(p->def.number, row.def);
        EXPECT_FALSE(p->range.has_value());
        EXPECT_EQ(p->ui.control, TYPE_SINGLECHECKBOX);
        EXPECT_EQ(p->ui.controls, (std::vector<int>{a}));
        break;
      default:
        EXPECT_EQ(p->flags, row.kind == 'L' ? P_VARIABLE_SIZE : 0);
        EXPECT_EQ(p->def.kind, ParamDefault::Kind::None);
        EXPECT_EQ(p->ui.controls, (std::vector<int>{a, c}));
        EXPECT_EQ(p->tabSize, 0);
        break;
    }
  }
}

TEST(InkParameterTableTest, ButtonsHaveTheirOwnControls) {
  ParamBlockDesc2& b = *GetInkParamBlockDesc();
  const std::pair<const wchar_t*, int> deleteButtons[] = {
      {L"vortexObjects", 2640}, {L"emitterObjects", 2641}, {L"lightObjects", 2695},   {L"matteObjects", 2704},
      {L"occluderObjects", 2705}, {L"sceneObjects", 2768}, {L"shadowCatchers", 2769}};
  int lists = 0;
  for (int i = 0; i < b.Count(); ++i) lists += b.GetParamDefByIndex(i).type == TYPE_INODE_TAB;
  EXPECT_EQ(lists, 7);
  for (auto [name, id] : deleteButtons) {
    const ParamDef& p = b.GetParamDefByIndex(b.NameToIndex(name));
    EXPECT_EQ(p.ui.control, TYPE_NODELISTBOX) << host::narrow(name);
    EXPECT_EQ(p.ui.deleteButton, id) << host::narrow(name);
  }
  EXPECT_EQ(b.GetParamDef(90)->ui.control, TYPE_TEXMAPBUTTON);    // colorMap
  EXPECT_EQ(b.GetParamDef(116)->ui.control, TYPE_MTLBUTTON);      // particleMtl
  EXPECT_EQ(b.GetParamDef(96)->ui.control, TYPE_FILEOPENBUTTON);  // envFile
  EXPECT_EQ(b.GetParamDef(133)->ui.control, TYPE_FILEOPENBUTTON); // prtInFile
  EXPECT_EQ(b.GetParamDef(59)->ui.control, TYPE_PICKNODEBUTTON);  // silkSource
}

TEST(InkParameterTableTest, FourteenRolloutsWithTheirDialogsAndTitles) {
  const char* titles[] = {"Ink Particles",
                          "Flow",
                          "Vortex Forces",
                          "Tessaron Ink Render (renderer)",
                          "Particle Silk (cloth made of particles)",
                          "Surface Swirl (Vortex Force, no tyFlow)",
                          "Colour, Lights and HDRI",
                          "Assemble (gather from objects)",
                          "PRT export channels (Krakatoa, Frost, tyFlow)",
                          "PRT input (render any PRT sequence)",
                          "Particle shading (colour by channel)",
                          "About / Help",
                          "Scene objects and shadows",
                          "Ink in Water (fluid simulation)"};
  const auto& rollouts = GetInkParamBlockDesc()->Rollouts();
  ASSERT_EQ(rollouts.size(), 14u);
  for (int m = 0; m < 14; ++m) {
    EXPECT_EQ(rollouts[m].map, m);
    EXPECT_EQ(rollouts[m].dialogId, 230 + m);
    EXPECT_EQ(rollouts[m].titleId, 40 + m);
    EXPECT_EQ(label(40 + m), titles[m]);
  }
}

TEST(InkParameterTableTest, ANewObjectHoldsTheDefaultsAndEmptyLists) {
  auto* ink = static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE)));
  IParamBlock2& pb = *ink->pblock2;
  EXPECT_FLOAT_EQ(pb.GetFloat(0), 50.f);               // radius
  EXPECT_EQ(pb.GetInt(1), 20000000);                    // renderCount
  EXPECT_EQ(pb.GetInt(78), 0);                          // glassSolid off
  EXPECT_EQ(pb.GetInt(132), 1);                         // prtInOn on
  EXPECT_EQ(pb.Count(40), 0);                           // vortexObjects
  EXPECT_EQ(pb.GetINode(172), nullptr);                 // containerObject
  EXPECT_STREQ(pb.GetStr(96), L"");                     // envFile
  EXPECT_FLOAT_EQ(pb.GetFloat(209), 6.f);               // causticLightSize
  // The host clamps spinner values to the table's range.
  pb.SetValue(2, 0, 1);          // viewportCount 1000 .. 5000000
  EXPECT_EQ(pb.GetInt(2), 1000);
  pb.SetValue(28, 0, 120.f);     // surfaceCoreDeg 1 .. 89
  EXPECT_FLOAT_EQ(pb.GetFloat(28), 89.f);
  pb.SetValue(17, 0, -200000);   // startFrame -100000 .. 100000
  EXPECT_EQ(pb.GetInt(17), -100000);
  ink->DeleteThis();
}
