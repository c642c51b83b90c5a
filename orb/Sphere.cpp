#include "orb/Sphere.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orb {

namespace {
}

void addSphere(OrbMeshBuffers& out, float radius, int s, std::int32_t material, std::int32_t smoothing, bool inward) {
  const int rings = std::max(3, s / 2);
  const std::int32_t north = out.claimVertices(2 + (rings - 1) * s);
  const std::int32_t south = north + 1 + (rings - 1) * s;
  const bool fresh = !out.keepsTopology();
  auto put = [&](std::int32_t v, Vec p, UV uv) {
    out.positions[v] = p;
    out.shades[v] = 1.f;
    if (fresh) out.uvs[v] = uv;
  };
  put(north, {0.f, 0.f, radius}, {0.5f, 1.f});
  for (int i = 1; i < rings; ++i) {
    const double polar = i * std::numbers::pi / rings;
    for (int j = 0; j < s; ++j) {
      const double azimuth = 2.0 * std::numbers::pi * j / s;
      put(north + 1 + (i - 1) * s + j,
          {static_cast<float>(radius * std::sin(polar) * std::cos(azimuth)),
           static_cast<float>(radius * std::sin(polar) * std::sin(azimuth)),
           static_cast<float>(radius * std::cos(polar))},
          {static_cast<float>(j) / s, 1.f - static_cast<float>(i) / rings});
    }
  }
  put(south, {0.f, 0.f, -radius}, {0.5f, 0.f});
  if (!fresh) return;

  auto ring = [&](int i, int j) { return north + 1 + (i - 1) * s + j; };
  auto add = [&](std::int32_t a, std::int32_t b, std::int32_t c) {
    if (inward)
      out.addTriangle(a, c, b, material, smoothing);
    else
      out.addTriangle(a, b, c, material, smoothing);
  };
  for (int j = 0; j < s; ++j) {
    const int jn = (j + 1) % s;
    add(north, ring(1, j), ring(1, jn));
    add(south, ring(rings - 1, jn), ring(rings - 1, j));
    for (int i = 1; i + 1 < rings; ++i) {
      add(ring(i, j), ring(i + 1, j), ring(i, jn));
      add(ring(i, jn), ring(i + 1, j), ring(i + 1, jn));
    }
  }
}

}  // namespace orb
