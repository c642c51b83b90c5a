#pragma once
// The scene behind a pixel: the rasterised triangle hit again exactly by the
// pixel's ray, lit by each light through the ink's shadow (and, on the
// floor under the glass, brightened by its caustic), or turned into the
// shadow a catcher receives.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/render/Caustics.h"
#include "ink/render/Glass.h"
#include "ink/render/Grid.h"
#include "ink/render/Raster.h"
#include "ink/render/RenderRecords.h"
#include "util/Vec.h"

namespace ink {

enum SceneKind : std::int32_t { kSceneObject = 0, kShadowCatcher = 1 };

struct SceneHit {
  bool hit = false;
  orb::Vec point{}, normal{};  // normal turned towards the camera
  float depth = kEmptyDepth;   // view depth
  orb::Vec colour{};
  std::int32_t kind = kSceneObject;
};

// Möller–Trumbore with the rasteriser's slack at the edges, so that a pixel
// the raster gave to this triangle does not fall through a crack.
ORB_HD inline SceneHit hitTriangle(const SceneTriangle& t, orb::Vec eye, orb::Vec d, orb::Vec forward) {
  SceneHit h;
  const orb::Vec e1 = t.v1 - t.v0, e2 = t.v2 - t.v0;
  const orb::Vec p = cross(d, e2);
  const float det = dot(e1, p);
  if (!(fabsf(det) >= 1e-12f)) return h;
  const float inv = 1.f / det;
  const orb::Vec s = eye - t.v0;
  const float u = dot(s, p) * inv;
  const orb::Vec q = cross(s, e1);
  const float v = dot(d, q) * inv;
  const float dist = dot(e2, q) * inv;
  if (!(dist > 0.f && u > -0.001f && v > -0.001f && u + v < 1.001f)) return h;
  h.hit = true;
  h.point = eye + d * dist;
  h.depth = dist * dot(d, forward);
  const orb::Vec n = normalizedOr(cross(e1, e2), -d);
  h.normal = dot(n, d) > 0.f ? -n : n;
  h.colour = t.colour;
  h.kind = static_cast<std::int32_t>(truncf(t.kind + 0.5f)) == 0 ? kSceneObject : kShadowCatcher;
  return h;
}

// The ink's optical depth from p towards a directional light: the grid box
// entered, then half a cell in and one cell per step, trilinear density ×
// cell size per step.
ORB_HD inline float shadowDepth(const GridInfo& grid, const float* density, orb::Vec p, orb::Vec towards) {
  const float h = grid.halfExtent;
  float enter = 0.f, leave = 1e30f;
  const float o[3] = {p.x, p.y, p.z}, v[3] = {towards.x, towards.y, towards.z};
  for (int a = 0; a < 3; ++a) {
    if (fabsf(v[a]) < 1e-12f) {
      if (o[a] < -h || o[a] > h) return 0.f;
      continue;
    }
    float t0 = (-h - o[a]) / v[a], t1 = (h - o[a]) / v[a];
    if (t0 > t1) {
      const float swap = t0;
      t0 = t1;
      t1 = swap;
    }
    enter = fmaxf(enter, t0);
    leave = fminf(leave, t1);
  }
  // Steps counted in integers, at most the 4n of the grids' own march: a
  // float distance stepped by a cell stops growing far from the orb, and a
  // grid without size has no cells to cross.
  if (!(grid.cellSize > 0.f) || !(leave > enter)) return 0.f;
  const float cells = fminf((leave - enter) / grid.cellSize, 4.f * static_cast<float>(grid.n));
  float tau = 0.f;
  for (int k = 0; static_cast<float>(k) + 0.5f < cells; ++k)
    tau += sampleTrilinear(grid, density, p + towards * (enter + (static_cast<float>(k) + 0.5f) * grid.cellSize)) *
           grid.cellSize;
  return tau;
}

struct SceneLighting {
  LightSet lights;
  GridInfo grid;
  const float* density;
  float shadowScale;
  CausticView caustics;  // maps null: no caustics
  float causticStrength, causticRadius, causticInk;
};

// f_l: the share of light l reaching p past the ink, times the caustic
// where the light's ray to p passes through the glass sphere.
ORB_HD inline float lightFactor(const SceneLighting& s, int l, orb::Vec p) {
  const orb::Vec L = s.lights.direction[l];
  const float V = expf(-s.shadowScale * shadowDepth(s.grid, s.density, p, L));
  if (!s.caustics.maps) return V;
  const SphereCrossing c = crossSphere(p, L, s.causticRadius);
  if (!c.hit || !(c.tFar > 0.f)) return V;
  const float inkShare = s.causticInk == 0.f ? 1.f : powf(V, s.causticInk);
  const float caustic = causticAt(s.caustics, l, p.x, p.y);
  return fmaxf(inkShare * (1.f + s.causticStrength * (caustic - 1.f)), 0.f);
}

// A lit scene object's colour.
ORB_HD inline orb::Vec shadeObject(const SceneLighting& s, const SceneHit& h, float sceneAmbient) {
  orb::Vec light{sceneAmbient, sceneAmbient, sceneAmbient};
  for (int l = 0; l < s.lights.count; ++l)
    light += s.lights.colour[l] * (lightFactor(s, l, h.point) * fmaxf(dot(h.normal, s.lights.direction[l]), 0.f));
  return {h.colour.x * light.x, h.colour.y * light.y, h.colour.z * light.z};
}

// The shadow a catcher receives: the missing share of the lights' total
// brightness, times the catcher strength; 0 without lights.
ORB_HD inline float catcherShadow(const SceneLighting& s, const SceneHit& h, float catcherStrength) {
  float lit = 0.f, total = 0.f;
  for (int l = 0; l < s.lights.count; ++l) {
    const orb::Vec c = s.lights.colour[l];
    const float size = fmaxf(c.x + c.y + c.z, 0.0001f);
    lit += lightFactor(s, l, h.point) * size;
    total += size;
  }
  return total > 0.f ? (1.f - lit / total) * catcherStrength : 0.f;
}

}  // namespace ink
