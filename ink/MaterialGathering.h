#pragma once
// The ink's look from its colour map and its particle material: the baked
// colour map and the medium, emission, falloff and point settings an ink
// material overrides, or what any other material's diffuse, self-illumination
// and transparency give.
#include <vector>

#include "host/sdk/Time.h"
#include "ink/render/RenderSettings.h"

class IParamBlock2;
class Mtl;
class Texmap;

namespace ink {

constexpr int kColourMapSide = 256;
constexpr int kEmissionMapSide = 32;

// A map baked to float RGB for the renderer.
struct BakedMap {
  std::vector<float> rgb;
  int width = 0, height = 0;
  bool empty() const { return rgb.empty(); }
};

// `colorMap` baked 256 × 256 at t when it is set and `colorMode` > 0;
// empty otherwise or when the bake fails.
BakedMap bakeInkColourMap(IParamBlock2& block, TimeValue t);

// Applies `particleMtl` at t: an ink material overrides the look with its
// own parameters and colour map (none when it has no map); any other
// material gives its diffuse-like map (or its diffuse colour as a 1 × 1
// map), its self-illumination as emission and its transparency as a dimmer
// point brightness. Without a material nothing changes.
void applyParticleMaterial(IParamBlock2& block, TimeValue t, RenderSettings& settings, BakedMap& colourMap);

// True when the ink is coloured by speed at t: `colorBy` is 1, or
// `particleMtl` is an ink material whose own colour-by is 1. Speed needs
// the previous frame's positions.
bool coloursBySpeed(IParamBlock2& block, TimeValue t);

// Points the settings' colour map at `map` (or at none).
void useColourMap(const BakedMap& map, RenderSettings& settings);

}  // namespace ink
