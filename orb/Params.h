#pragma once
// The orb's parameters at one time as one flat record. It is passed by
// value to the cloth kernel, so the field order is fixed.
#include <cstdint>

#include "host/sdk/Time.h"

class IParamBlock2;

namespace orb {

struct Params {
  float radius, hazeFill, shellThickness, clearance;
  std::int32_t veilCount;
  float veilRadius, veilSpan, veilWidth, veilLatitude, veilTiltX, veilTiltY, veilTiltZ, pleatDepth, pleatCount;
  float thickness, thicknessVariation, edgeSoftness, wrinkleAmount, wrinkleScale;
  std::int32_t seed;
  float loopSeconds, speed, phase, motion;
  std::uint8_t reverse, freeze;
  float stiffness, bendStiffness, damping, restHold, gravity, wind, waveAmplitude, waveCycles, waveSpeed, waveSpread;
  std::uint8_t selfCollision;
  float selfCollisionDistance;
  std::int32_t anchor;
  float slack;
  std::int32_t substeps, simLength, simWidth, viewportSegments, renderSegments;
  std::uint8_t useCUDA, showShell, showHaze, showVeil;
};

// Every field at its default.
Params defaultParams();
// Defaults first, then every field read from the block at t (booleans are
// true when non-zero).
Params readParams(IParamBlock2& block, TimeValue t);

}  // namespace orb
