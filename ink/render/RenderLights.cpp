#include "ink/render/RenderLights.h"

#include <algorithm>
#include <cmath>

namespace ink {

int gridResolution(int gridRes) { return std::clamp(gridRes, kMinGridRes, kMaxGridRes); }

// The scene's first eight lights, or the default light, as unit directions.
LightSet renderLights(const RenderSettings& s) {
  LightSet set{};
  auto unit = [](orb::Vec d) { return d * (1.f / std::max(length(d), 1e-12f)); };
  if (s.lightCount <= 0 || !s.lights) {
    set.count = 1;
    set.direction[0] = unit(s.lightDirection);
    set.colour[0] = {s.lightIntensity, s.lightIntensity, s.lightIntensity};
    return set;
  }
  set.count = std::min(s.lightCount, kMaxLights);
  for (int l = 0; l < set.count; ++l) {
    set.direction[l] = unit(s.lights[l].direction);
    set.colour[l] = s.lights[l].colour;
  }
  return set;
}

// ambient, plus the HDRI's mean colour weighted by solid angle (row i of h
// by sin((i + 0.5) / h × π)) when the environment lights the ink.
orb::Vec renderAmbient(const RenderSettings& s, bool hdri) {
  orb::Vec ambient{s.ambient, s.ambient, s.ambient};
  if (!hdri || !(s.envLighting > 0.f)) return ambient;
  double sum[3] = {0, 0, 0}, total = 0;
  const std::int64_t w = s.hdriWidth, h = s.hdriHeight;
  for (std::int64_t i = 0; i < h; ++i) {
    const double weight = std::sin((static_cast<double>(i) + 0.5) / static_cast<double>(h) * 3.14159265358979323846);
    const float* row = s.hdri + 3 * i * w;
    for (std::int64_t x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) sum[c] += weight * row[3 * x + c];
    total += weight * static_cast<double>(w);
  }
  if (!(total > 0.0)) return ambient;
  const double scale = static_cast<double>(s.envLighting) * s.envIntensity / total;
  return ambient + orb::Vec{static_cast<float>(sum[0] * scale), static_cast<float>(sum[1] * scale),
                            static_cast<float>(sum[2] * scale)};
}

}  // namespace ink
