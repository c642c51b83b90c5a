#pragma once
// Shared inputs of the silk and swirl engine tests and benchmarks: cloth
// triangles with texture coordinates, the default silk record and Vortex
// Force frames.
#include <cmath>
#include <vector>

#include "forces/SwirlFrame.h"
#include "ink/sim/SilkRecords.h"
#include "ink/sim/SwirlRecords.h"

namespace inktest {

inline ink::SilkTri silkTri(orb::Vec q0, orb::Vec q1, orb::Vec q2, float a0, float b0, float a1, float b1, float a2,
                            float b2) {
  return {q0, q1, q2, a0, b0, a1, b1, a2, b2};
}

// The unit texture square as two triangles. Unstretched, the corner with
// texture (u, v) sits at (u, v, 0); `stretch` widens the first triangle's
// surface only, leaving its texture area as it is.
inline std::vector<ink::SilkTri> clothSquare(float stretch = 1.f) {
  return {silkTri({0, 0, 0}, {stretch, 0, 0}, {stretch, 1, 0}, 0, 0, 1, 0, 1, 1),
          silkTri({0, 0, 0}, {1, 1, 0}, {0, 1, 0}, 0, 0, 1, 1, 0, 1)};
}

// The ink object's default silk settings for `count` particles over
// `triangles` triangles.
inline ink::SilkParams defaultSilk(std::int64_t count, int triangles) {
  ink::SilkParams p{};
  p.count = count;
  p.seedMix = static_cast<std::int32_t>(17u - 42u * 1640531535u);
  p.thickness = 0.12f;
  p.wrinkle = 0.6f;
  p.wrinkleScale = 40.f;
  p.wrinkleOctaves = 3;
  p.loopPhase = 0.f;
  p.fray = 0.03f;
  p.triangleCount = triangles;
  return p;
}

// A Vortex Force frame of radius 50 with `count` vortices spread over the
// sphere and the force's default settings.
inline swirl::Frame vortexFrame(int count, float turn = 0.f) {
  swirl::Frame f{};
  f.radius = 50.f;
  f.swirl = 24.f;
  f.attraction = 0.5f;
  f.spread = 30.f * 3.14159265f / 180.f;
  f.partition = 2.f;
  f.eye = 0.25f;
  f.surfaceHold = 4.f;
  f.drag = 0.15f;
  f.turbulence = 0.f;
  f.loopSeconds = 9.f;
  f.responseScale = 0.01f;
  f.count = count;
  for (int i = 0; i < count; ++i) {
    const float z = 1.f - 2.f * (static_cast<float>(i) + 0.5f) / static_cast<float>(count);
    const float r = std::sqrt(std::fmax(0.f, 1.f - z * z)), a = 2.399963f * static_cast<float>(i) + turn;
    f.vortices[i] = {{r * std::cos(a), r * std::sin(a), z}, 1.f, 1.f, 0.f, 0.f, 1, 0};
  }
  return f;
}

// The swirl record for `count` particles with the identity transform.
inline ink::SwirlParams defaultSwirl(std::int64_t count, int frames) {
  ink::SwirlParams p{};
  p.count = count;
  p.seedMix = static_cast<std::int32_t>(42u * 747796405u + 5u);
  p.fps = 30.f;
  p.substeps = 2;
  p.startTime = 0.f;
  p.timeUnit = 1.f / 30.f;
  p.trackFrames = frames;
  p.trackStart = 0.f;
  p.seedRadius = 50.f;
  p.rows[0] = {1, 0, 0};
  p.rows[1] = {0, 1, 0};
  p.rows[2] = {0, 0, 1};
  p.translation = {0, 0, 0};
  return p;
}

}  // namespace inktest
