#pragma once
// The ink cloud inside the glass orb, seen from the front and a little
// above, over a shadow-catching floor lit from above: glass with
// reflections, rim and highlights, bubbles and caustics. Shared by the
// tests and bench_finish.
#include <cmath>
#include <vector>

#include "InkCloudScene.h"
#include "ink/render/RenderSettings.h"

namespace rendertest {

// The catcher floor: a 400 × 400 square at z = −60, as two triangles.
inline std::vector<ink::SceneTriangle> catcherFloor(float z = -60.f, float half = 200.f) {
  const orb::Vec grey{0.6f, 0.6f, 0.6f};
  return {{{-half, -half, z}, {half, -half, z}, {half, half, z}, grey, 1.f},
          {{-half, -half, z}, {half, half, z}, {-half, half, z}, grey, 1.f}};
}

// Looking at the orb's centre from `distance` in front (−y) and `height` above.
inline ink::Camera cameraLookingDown(float distance, float height, float fovRadians = 0.7854f) {
  const float len = std::sqrt(distance * distance + height * height);
  const orb::Vec forward{0.f, distance / len, -height / len};
  return {{0.f, -distance, height}, {1.f, 0.f, 0.f}, {0.f, height / len, distance / len}, forward,
          std::tan(0.5f * fovRadians)};
}

// The ink cloud's look with the glass, bubbles, caustics and one light from
// above and to the left; `floor` must outlive the render.
inline ink::RenderSettings glassOrbSettings(int width, int height, const std::vector<ink::SceneTriangle>& floor,
                                            const std::vector<ink::RenderLight>& lights, int gridRes = 128) {
  ink::RenderSettings s = inkCloudSettings(width, height, gridRes);
  s.camera = cameraLookingDown(190.f, 70.f, 0.75f);
  s.bgR = s.bgG = s.bgB = 0.45f;
  s.glass = true;
  s.glassReflect = 1.f;
  s.glassRim = 0.35f;
  s.glassSpec = 1.5f;
  s.glassIOR = 1.5f;
  s.glassThickness = 0.05f;
  s.envIntensity = 1.f;
  s.bubbles = 64;
  s.bubbleSize = 0.025f;
  s.bubbleSizeVar = 0.7f;
  s.bubbleRise = 0.15f;
  s.bubbleWobble = 0.04f;
  s.bubbleShine = 1.f;
  s.seedHash = static_cast<std::int32_t>(42u * 747796405u - 1403630843u);
  s.bgDistance = 4.f;
  s.alphaMode = 1;
  s.caustics = true;
  s.causticIOR = 1.5f;
  s.causticStrength = 1.f;
  s.causticBlur = 1.5f;
  s.causticLightSize = 2.f;
  s.causticInk = 0.3f;
  s.catcherStrength = 1.f;
  s.sceneAmbient = 0.2f;
  s.sceneTriangles = floor.data();
  s.sceneTriangleCount = static_cast<std::int64_t>(floor.size());
  s.lights = lights.data();
  s.lightCount = static_cast<std::int32_t>(lights.size());
  return s;
}

// The key light: from above, slightly left and behind the camera.
inline std::vector<ink::RenderLight> lightFromAbove() { return {{{-0.25f, -0.3f, 0.92f}, {1.4f, 1.4f, 1.4f}}}; }

// The power a sphere of radius R and index n passes to the floor from a
// unit-density light along its axis: ∫ over its disc of (1 − F1)(1 − F2),
// entry at sin θ1 = r / R, exit at the refracted angle (sin θ1 / n), both
// with Schlick's r0 = ((n − 1) / (n + 1))².
inline double transmittedPower(double R, double n) {
  const double r0 = ((n - 1) / (n + 1)) * ((n - 1) / (n + 1));
  auto schlick = [r0](double c) { return r0 + (1 - r0) * std::pow(1 - c, 5); };
  const int steps = 200000;
  double sum = 0;
  for (int i = 0; i < steps; ++i) {
    const double r = (i + 0.5) / steps * R, s1 = r / R, s2 = s1 / n;
    const double t = (1 - schlick(std::sqrt(1 - s1 * s1))) * (1 - schlick(std::sqrt(1 - s2 * s2)));
    sum += t * 2 * 3.141592653589793 * r * (R / steps);
  }
  return sum;
}

}  // namespace rendertest
