#pragma once
// Caustics of the glass sphere on the floor: photons from a soft
// directional light, refracted in and out of the sphere (Schlick's Fresnel
// at both crossings), deposited into a square map on the floor plane; the
// map filtered into energy per unit floor area, where 1 is what the light
// gives without the sphere; and the map read back by the finishing pass.
#include <cmath>
#include <cstdint>
#include <optional>

#include "gpu/Accumulate.h"
#include "gpu/Config.h"
#include "ink/render/Glass.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderHashes.h"
#include "ink/render/RenderRecords.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace ink {

constexpr int kCausticResolution = 384;
constexpr std::int64_t kCausticMapFloats = std::int64_t{kCausticResolution} * kCausticResolution;
constexpr int kPhotonGridSide = 2000;  // photons per light: side²

struct PhotonArgs {
  orb::Vec lightDirection;  // towards the light
  float glassRadius, ior, floorHeight;
  std::int32_t resolution;
  float halfSize;  // the map spans ±halfSize in x and y
  std::int32_t side;
  float tanLightSize;
};

// Photon i of the side × side grid across the sphere's disc, seen from the
// light; adds its transmitted energy to map cell (x, y) at y × res + x.
ORB_HD inline void tracePhoton(const PhotonArgs& a, std::int64_t i, const gpu::Accumulator& map) {
  const orb::Vec d = -normalizedOr(a.lightDirection, {0.f, 0.f, 1.f});
  if (d.z >= -0.001f) return;  // light that does not travel downwards lights no floor
  const orb::Vec w = fabsf(d.x) < 0.9f ? orb::Vec{1.f, 0.f, 0.f} : orb::Vec{0.f, 1.f, 0.f};
  const orb::Vec t1 = normalizedOr(cross(d, w), w);
  const orb::Vec t2 = cross(d, t1);
  const PhotonDraw draw = photonHash(static_cast<std::uint32_t>(i));
  const float phi = util::kTwoPi * draw.a, rho = a.tanLightSize * sqrtf(draw.b);
  const orb::Vec dl = normalizedOr(d + t1 * (rho * cosf(phi)) + t2 * (rho * sinf(phi)), d);

  const std::int64_t side = a.side;
  const float gx = 2.f * (static_cast<float>(i % side) + 0.5f) / static_cast<float>(side) - 1.f;
  const float gy = 2.f * (static_cast<float>(i / side) + 0.5f) / static_cast<float>(side) - 1.f;
  if (gx * gx + gy * gy > 1.f) return;
  const float h = 2.f * a.glassRadius / static_cast<float>(side);

  const float R = a.glassRadius;
  const orb::Vec o = (t1 * gx + t2 * gy) * R - dl * (3.f * R);
  const SphereCrossing in = crossSphere(o, dl, R);
  if (!in.hit) return;
  const orb::Vec entry = o + dl * in.tNear;
  const orb::Vec n = entry * (1.f / length(entry));
  const float r0 = normalReflectance(a.ior);
  const float f1 = schlick(fabsf(dot(n, dl)), r0);
  orb::Vec inside;
  if (!refract(dl, n, 1.f / a.ior, inside)) return;
  orb::Vec nOut;
  const orb::Vec exit = farCrossing(entry, inside, R, nOut);
  const float f2 = schlick(fabsf(dot(nOut, inside)), r0);
  orb::Vec out;
  if (!refract(inside, nOut, a.ior, out) || out.z >= -0.0001f) return;

  const float s = (a.floorHeight - exit.z) / out.z;
  if (!(s > 0.f)) return;
  const float res = static_cast<float>(a.resolution);
  const float cx = ((exit.x + out.x * s) / a.halfSize * 0.5f + 0.5f) * res;
  const float cy = ((exit.y + out.y * s) / a.halfSize * 0.5f + 0.5f) * res;
  if (!(cx >= 0.f && cx < res && cy >= 0.f && cy < res)) return;  // trunc keeps [0, res) on the map
  const std::int64_t cell = static_cast<std::int64_t>(clampToInt(cy, 0, a.resolution - 1)) * a.resolution +
                            clampToInt(cx, 0, a.resolution - 1);
  map.add(0, cell, h * h * (1.f - f1) * (1.f - f2));
}

// Map cell `cell` of the filtered map: a Gaussian of the photon map around
// it, as energy per unit floor area for light arriving at cosIncidence.
ORB_HD inline float normaliseCausticCell(const float* photons, std::int64_t cell, std::int32_t resolution,
                                         float halfSize, float cosIncidence, float blur) {
  const int x = static_cast<int>(cell % resolution), y = static_cast<int>(cell / resolution);
  const int radius = clampToInt(truncf(blur + 0.5f), 0, 6);
  const float sigma2 = fmaxf(blur * blur, 0.25f);
  float sum = 0.f, weights = 0.f;
  for (int dy = -radius; dy <= radius; ++dy) {
    const int yy = y + dy;
    if (yy < 0 || yy >= resolution) continue;
    for (int dx = -radius; dx <= radius; ++dx) {
      const int xx = x + dx;
      if (xx < 0 || xx >= resolution) continue;
      const float w = expf(-static_cast<float>(dx * dx + dy * dy) / sigma2);
      sum += w * photons[static_cast<std::int64_t>(yy) * resolution + xx];
      weights += w;
    }
  }
  const float cellSide = 2.f * halfSize / static_cast<float>(resolution);
  return sum / fmaxf(weights, 1e-6f) / (fmaxf(cosIncidence, 0.001f) * cellSide * cellSide);
}

struct CausticView {
  const float* maps;  // resolution² floats per light, or null
  std::int32_t resolution;
  float halfSize;
};

// Light l's filtered map at floor point (x, y), bilinear between cell
// centres; 0 off the map.
ORB_HD inline float causticAt(const CausticView& v, int light, float x, float y) {
  if (!(fabsf(x) <= v.halfSize && fabsf(y) <= v.halfSize)) return 0.f;
  const float res = static_cast<float>(v.resolution);
  const float u = (x / v.halfSize * 0.5f + 0.5f) * res - 0.5f;
  const float w = (y / v.halfSize * 0.5f + 0.5f) * res - 0.5f;
  const float u0 = floorf(u), w0 = floorf(w);
  const float fu = u - u0, fw = w - w0;
  const int last = v.resolution - 1;
  const int x0 = clampToInt(u0, 0, last), x1 = clampToInt(u0 + 1.f, 0, last);
  const int y0 = clampToInt(w0, 0, last), y1 = clampToInt(w0 + 1.f, 0, last);
  const float* m = v.maps + static_cast<std::int64_t>(light) * v.resolution * v.resolution;
  auto at = [&](int cx, int cy) { return m[static_cast<std::int64_t>(cy) * v.resolution + cx]; };
  return (at(x0, y0) * (1.f - fu) + at(x1, y0) * fu) * (1.f - fw) + (at(x0, y1) * (1.f - fu) + at(x1, y1) * fu) * fw;
}

// The floor the caustics fall on: the highest scene-triangle centroid
// within the map (x² + y² < Y², Y = 3 R g) and below −0.9 R g; failing
// that the lowest vertex within the map below −0.5 R; else no floor.
inline std::optional<float> causticFloorHeight(const SceneTriangle* triangles, std::int64_t count, float radius,
                                               float glassFactor) {
  const float Y = 3.f * radius * glassFactor;
  auto inMap = [Y](orb::Vec p) { return p.x * p.x + p.y * p.y < Y * Y; };
  std::optional<float> floor;
  for (std::int64_t t = 0; t < count; ++t) {
    const SceneTriangle& tri = triangles[t];
    const orb::Vec c = (tri.v0 + tri.v1 + tri.v2) * (1.f / 3.f);
    if (inMap(c) && c.z < -0.9f * radius * glassFactor && (!floor || c.z > *floor)) floor = c.z;
  }
  if (floor) return floor;
  for (std::int64_t t = 0; t < count; ++t)
    for (const orb::Vec& p : {triangles[t].v0, triangles[t].v1, triangles[t].v2})
      if (inMap(p) && p.z < -0.5f * radius && (!floor || p.z < *floor)) floor = p.z;
  return floor;
}

}  // namespace ink
