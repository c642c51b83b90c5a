#pragma once
// What a frame's lighting is made of: the grid resolution of the shadows,
// the light set and the ambient colour.
#include "ink/render/RenderRecords.h"
#include "ink/render/RenderSettings.h"

namespace ink {

constexpr int kMinGridRes = 32;
constexpr int kMaxGridRes = 512;

// gridRes clamped to 32 … 512 cells per side.
int gridResolution(int gridRes);

// The first eight scene lights with unit directions; without scene lights,
// the default direction (length floored at 1e-12) with grey colour
// lightIntensity.
LightSet renderLights(const RenderSettings& s);

// `ambient` on every channel, plus, when an HDRI is present (`hdri`) and
// envLighting > 0, its solid-angle-weighted mean × envLighting × envIntensity.
orb::Vec renderAmbient(const RenderSettings& s, bool hdri);

}  // namespace ink
