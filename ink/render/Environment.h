#pragma once
// What the glass and the bubbles reflect and what the background shows: the
// procedural studio (a key and a fill light over a horizon), the HDRI
// lookup, and the reflection colour chosen by the reflection mode.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/render/Projection.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace ink {

ORB_HD inline float powPositive(float base, float exponent) { return base > 0.f ? powf(base, exponent) : 0.f; }

// The studio's brightness towards d, scaled by k, slightly blue.
ORB_HD inline orb::Vec studio(orb::Vec d, float k) {
  const float key = powPositive(dot(d, {-0.4504281f, -0.6005709f, 0.660628f}), 60.f);
  const float fill = powPositive(dot(d, {0.808122f, 0.5050762f, 0.3030457f}), 80.f);
  const float base = (d.z > 0.f ? 1.f : 0.86f) - 0.28f * expf(-18.f * d.z * d.z);
  const float v = base + 1.5f * key + 0.6f * fill;
  return {k * v, k * v, k * v * 1.02f};
}

struct EnvironmentMap {
  const float* rgb;  // width × height texels, row 0 at the top, or null
  std::int32_t width, height;
  float rotation;  // radians about z
  float scale;
};

// The HDRI towards d: longitude wraps, latitude clamps, bilinear.
ORB_HD inline orb::Vec environment(const EnvironmentMap& m, orb::Vec d) {
  const float u = atan2f(d.y, d.x) / util::kTwoPi + 0.5f + m.rotation / util::kTwoPi;
  const float v = acosf(fminf(fmaxf(d.z, -1.f), 1.f)) / util::kPi;
  const float x = (u - floorf(u)) * static_cast<float>(m.width) - 0.5f;
  const float y = v * static_cast<float>(m.height) - 0.5f;
  const float fx0 = floorf(x), fy0 = floorf(y);
  const float fx = x - fx0, fy = y - fy0;
  // x lies in [−0.5, width − 0.5): its floor in [−1, width − 1], wrapped below.
  int x0 = clampToInt(fx0, -1, m.width - 1);
  int x1 = x0 + 1;
  x0 = x0 < 0 ? x0 + m.width : x0;
  x1 = x1 >= m.width ? x1 - m.width : x1;
  const int y0 = clampToInt(fy0, 0, m.height - 1), y1 = clampToInt(fy0 + 1.f, 0, m.height - 1);
  auto texel = [&](int tx, int ty) {
    const float* t = m.rgb + 3 * (static_cast<std::int64_t>(ty) * m.width + tx);
    return orb::Vec{t[0], t[1], t[2]};
  };
  const orb::Vec top = lerp(texel(x0, y0), texel(x1, y0), fx);
  const orb::Vec bottom = lerp(texel(x0, y1), texel(x1, y1), fx);
  return lerp(top, bottom, fy) * m.scale;
}

enum ReflectionMode : std::int32_t { kReflectStudio = 0, kReflectHdri = 1, kReflectColour = 2, kReflectNothing = 3 };

struct Reflections {
  EnvironmentMap map;
  std::int32_t mode;
  float intensity;   // envIntensity
  orb::Vec colour;   // the reflection colour of mode 2
};

// What a mirror direction r shows, by reflection mode.
ORB_HD inline orb::Vec reflectionColour(const Reflections& e, orb::Vec r) {
  switch (e.mode) {
    case kReflectStudio: return studio(r, e.intensity);
    case kReflectHdri: return e.map.rgb ? environment(e.map, r) : studio(r, e.intensity);
    case kReflectColour: return e.colour * e.intensity;
    default: return {0.f, 0.f, 0.f};
  }
}

}  // namespace ink
