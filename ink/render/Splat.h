#pragma once
// splatImage for one particle: cull, amount, normal, colour, light with
// self-shadowing, attenuation towards the camera, and the deposit of colour
// and extinction (plus the pass channels) into the order-independent image
// accumulator over a bilinear or disc footprint.
#include <cmath>
#include <cstdint>

#include "gpu/Accumulate.h"
#include "gpu/Config.h"
#include "ink/render/Grid.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderHashes.h"
#include "ink/render/RenderRecords.h"
#include "ink/render/SplatColour.h"
#include "util/Vec.h"

namespace ink {

// Floats per pixel of the image and pass accumulators.
constexpr int kAccumulatorFloats = 6;
constexpr int kPassAccumulatorFloats = 15;
// Accumulating-launch targets of splatImage.
constexpr int kImageTarget = 0;
constexpr int kPassTarget = 1;
// Side in pixels of the screen tiles that group a chunk's particles for locality.
constexpr int kSplatTilePixels = 32;
// Footprints larger than this radius (pixels) are cut to it.
constexpr int kMaxFootprintRadius = 32;

// The device views splatImage reads besides its record: the chunk and the grids.
struct SplatInputs {
  const orb::Vec* positions;
  const float* weights;
  GridInfo grid;
  const float* lightGrids;  // one n³ grid per light
  const float* viewGrid;
  const orb::Vec* rest;  // may be null
  std::int32_t restIsUV;
  const orb::Vec* previous;  // may be null
  std::uint64_t idBase;      // id of the chunk's first particle
  const float* density;
  const orb::Vec* colours;   // may be null
  const orb::Vec* emission;  // may be null
};

// The values one particle deposits, before the footprint weight.
struct SplatValues {
  float image[kAccumulatorFloats];
  float pass[kPassAccumulatorFloats];
  bool withPasses;
};

ORB_HD inline void depositAt(const SplatValues& v, std::int64_t pixel, float w, const gpu::Accumulator& out) {
  for (int c = 0; c < kAccumulatorFloats; ++c) out.add(kImageTarget, pixel * kAccumulatorFloats + c, v.image[c] * w);
  if (!v.withPasses) return;
  for (int c = 0; c < kPassAccumulatorFloats; ++c)
    if (v.pass[c] != 0.f) out.add(kPassTarget, pixel * kPassAccumulatorFloats + c, v.pass[c] * w);
}

// Bilinear deposit into the four pixels around (x, y); pixels off the image are skipped.
ORB_HD inline void depositBilinear(const SplatArgs& a, float x, float y, const SplatValues& v,
                                   const gpu::Accumulator& out) {
  const float bx = floorf(x), by = floorf(y);
  const float fx = x - bx, fy = y - by;
  const int x0 = clampToInt(bx, -2, a.width), y0 = clampToInt(by, -2, a.height);
  if (x0 >= 0 && y0 >= 0 && x0 + 1 < a.width && y0 + 1 < a.height) {
    // All four pixels on the image, the common case: the same deposits in
    // the same order, without the tests.
    const std::int64_t top = static_cast<std::int64_t>(y0) * a.width + x0, bottom = top + a.width;
    const float b = a.pointBrightness;
    depositAt(v, top, (1.f - fx) * (1.f - fy) * b, out);
    depositAt(v, top + 1, fx * (1.f - fy) * b, out);
    depositAt(v, bottom, (1.f - fx) * fy * b, out);
    depositAt(v, bottom + 1, fx * fy * b, out);
    return;
  }
  for (int dy = 0; dy < 2; ++dy) {
    const int py = y0 + dy;
    if (py < 0 || py >= a.height) continue;
    const float wy = dy ? fy : 1.f - fy;
    for (int dx = 0; dx < 2; ++dx) {
      const int px = x0 + dx;
      if (px < 0 || px >= a.width) continue;
      const float w = (dx ? fx : 1.f - fx) * wy * a.pointBrightness;
      depositAt(v, static_cast<std::int64_t>(py) * a.width + px, w, out);
    }
  }
}

// The disc's weight at offset (dx, dy) from its centre pixel; negative
// outside the disc (q > 1), where nothing is deposited.
ORB_HD inline float discKernel(float softness, int dx, int dy, float r) {
  const float q = static_cast<float>(dx * dx + dy * dy) / (r * r);
  return q <= 1.f ? softness * expf(-3.f * q) + (1.f - softness) : -1.f;
}

// Disc deposit of radius r over the (2R + 1)² window around the nearest
// pixel. The normaliser counts the whole window, off-image pixels included,
// so a particle at the border loses its off-image share instead of piling it
// onto the pixels that remain.
ORB_HD inline void depositDisc(const SplatArgs& a, float x, float y, float r, const SplatValues& v,
                               const gpu::Accumulator& out) {
  const int R = clampToInt(ceilf(r), 1, kMaxFootprintRadius);
  const int cx = clampToInt(roundf(x), -1, a.width), cy = clampToInt(roundf(y), -1, a.height);
  const float soft = a.pointSoftness;
  float K = 0.f;
  for (int dy = -R; dy <= R; ++dy)
    for (int dx = -R; dx <= R; ++dx) K += fmaxf(discKernel(soft, dx, dy, r), 0.f);
  const float scale = a.pointBrightness / fmaxf(K, 1e-6f);
  for (int dy = -R; dy <= R; ++dy) {
    const int py = cy + dy;
    if (py < 0 || py >= a.height) continue;
    for (int dx = -R; dx <= R; ++dx) {
      const int px = cx + dx;
      if (px < 0 || px >= a.width) continue;
      const float k = discKernel(soft, dx, dy, r);
      if (k < 0.f) continue;
      depositAt(v, static_cast<std::int64_t>(py) * a.width + px, k * scale, out);
    }
  }
}

// The pixel nearest to (x, y), clamped to the image, for buffer lookups.
ORB_HD inline std::int64_t nearestPixel(const SplatArgs& a, float x, float y) {
  const int px = clampToInt(roundf(x), 0, a.width - 1), py = clampToInt(roundf(y), 0, a.height - 1);
  return static_cast<std::int64_t>(py) * a.width + px;
}

// Screen tiles of the image, plus one bucket for particles behind the eye
// or off the image.
ORB_HD inline std::uint32_t splatTileCount(const SplatArgs& a) {
  const auto across = static_cast<std::uint32_t>((a.width + kSplatTilePixels - 1) / kSplatTilePixels);
  const auto down = static_cast<std::uint32_t>((a.height + kSplatTilePixels - 1) / kSplatTilePixels);
  return across * down + 1;
}

// The screen tile p projects into. Particles of one tile deposit into one
// small patch of the accumulator and read one narrow column of the grids.
ORB_HD inline std::uint32_t splatTile(const SplatArgs& a, orb::Vec p) {
  const ScreenPoint s = project(a.camera, a.tanHalfFovY, a.width, a.height, p);
  const std::uint32_t outside = splatTileCount(a) - 1;
  if (!(s.z >= kNearDepth)) return outside;
  const int across = (a.width + kSplatTilePixels - 1) / kSplatTilePixels;
  const int down = (a.height + kSplatTilePixels - 1) / kSplatTilePixels;
  const int tx = clampToInt(s.x / kSplatTilePixels, -1, across), ty = clampToInt(s.y / kSplatTilePixels, -1, down);
  if (tx < 0 || ty < 0 || tx >= across || ty >= down) return outside;
  return static_cast<std::uint32_t>(ty * across + tx);
}

struct SurfaceNormal {
  orb::Vec n;    // facing the camera
  float facing;  // |n · view|
};

// The normal of the ink's density field at p: against the central-difference
// gradient, turned towards the camera; the view direction where the field is flat.
ORB_HD inline SurfaceNormal densityNormal(const SplatArgs& a, const SplatInputs& in, orb::Vec p) {
  const float cs = in.grid.cellSize;
  auto D = [&](orb::Vec q) { return sampleTrilinear(in.grid, in.density, q); };
  const orb::Vec G{D(p + orb::Vec{cs, 0, 0}) - D(p - orb::Vec{cs, 0, 0}), D(p + orb::Vec{0, cs, 0}) - D(p - orb::Vec{0, cs, 0}),
                   D(p + orb::Vec{0, 0, cs}) - D(p - orb::Vec{0, 0, cs})};
  const orb::Vec toP = p - a.camera.eye;
  const orb::Vec view = toP * (1.f / fmaxf(length(toP), 1e-6f));
  const float g = length(G);
  if (!(g > 1e-12f)) return {-view, 1.f};
  orb::Vec n = G * (-1.f / g);
  if (dot(n, view) > 0.f) n = -n;
  return {n, fabsf(dot(n, view))};
}

// `slot` indexes the per-particle arrays of `in`, `i` is the particle's
// index in its chunk (its id and draws); they differ when the launch runs
// the particles from reordered copies of the arrays.
ORB_HD inline void splatParticle(const SplatArgs& a, const SplatInputs& in, std::int64_t slot, std::int64_t i,
                                 const gpu::Accumulator& out) {
  // 1. Cull. Comparisons are written so that NaN positions and weights are dropped.
  const float weight = in.weights[slot];
  if (!(weight > 1e-5f)) return;
  const orb::Vec p = in.positions[slot];
  const ScreenPoint s = project(a.camera, a.tanHalfFovY, a.width, a.height, p);
  if (!(s.z >= kNearDepth)) return;
  if (!(s.x >= -1.f && s.y >= -1.f && s.x <= static_cast<float>(a.width) && s.y <= static_cast<float>(a.height)))
    return;
  if (a.matteDepth || a.sceneDepth) {
    const std::int64_t pixel = nearestPixel(a, s.x, s.y);
    if (a.matteDepth && s.z > a.matteDepth[2 * pixel]) return;
    if (a.sceneDepth && s.z > a.sceneDepth[pixel]) return;
  }

  // 2. Mass per unit screen area: s_px is one pixel's width at depth z.
  const float pixelWidth = 2.f * s.z * a.camera.tanHalfFov / static_cast<float>(a.width);
  float amount = weight * a.sourceWeight / (pixelWidth * pixelWidth);

  // 3. Normal, 4. falloff.
  const bool withPasses = a.passes != nullptr;
  SurfaceNormal normal{{0.f, 0.f, 1.f}, 1.f};
  if (a.falloffOn || withPasses) normal = densityNormal(a, in, p);
  float edge = 0.f;
  if (a.falloffOn) {
    edge = powf(fmaxf(1.f - normal.facing, 0.f), fmaxf(a.falloffPower, 0.05f));
    amount *= a.falloffFace + (a.falloffEdge - a.falloffFace) * edge;
  }

  // 5. Colour.
  const std::uint64_t id = in.idBase + static_cast<std::uint64_t>(i);
  const orb::Vec* previous = in.previous ? in.previous + slot : nullptr;
  const ParticleView view{p, previous, s.z, id, &in.grid, in.density};
  const InkColour ink = particleColour(a, view, in.rest, in.restIsUV, in.colours, slot, edge);

  // 6. Light with self-shadowing, from the absorption as set (before colouring).
  const std::int64_t cells = static_cast<std::int64_t>(in.grid.n) * in.grid.n * in.grid.n;
  const float shadowAbsorb = (a.absorb.x + a.absorb.y + a.absorb.z) / 3.f * a.shadow;
  orb::Vec light = a.ambient;
  for (int l = 0; l < a.lights.count && l < kMaxLights; ++l) {
    const float tau = sampleTrilinear(in.grid, in.lightGrids + l * cells, p);
    light += a.lights.colour[l] * expf(-shadowAbsorb * tau);
  }

  // 7. Attenuation towards the camera, 8. shaded colour.
  const float tauView = sampleTrilinear(in.grid, in.viewGrid, p);
  const orb::Vec T{expf(-ink.sigma.x * tauView), expf(-ink.sigma.y * tauView), expf(-ink.sigma.z * tauView)};
  const orb::Vec own = in.emission ? in.emission[slot] : orb::Vec{0.f, 0.f, 0.f};
  const orb::Vec lit{ink.scatter.x * light.x, ink.scatter.y * light.y, ink.scatter.z * light.z};
  const orb::Vec glow = lit * a.scatterAmount + a.emission * a.emitAmount + own;
  const orb::Vec colour{glow.x * T.x, glow.y * T.y, glow.z * T.z};

  // 9. Values to splat.
  SplatValues v{{amount * colour.x, amount * colour.y, amount * colour.z, amount * ink.sigma.x, amount * ink.sigma.y,
                 amount * ink.sigma.z},
                {},
                withPasses};
  if (withPasses) {
    const float alpha = amount * (ink.sigma.x + ink.sigma.y + ink.sigma.z) / 3.f;
    const orb::Vec emitted = a.emission * (amount * a.emitAmount);
    v.pass[0] = emitted.x * T.x;
    v.pass[1] = emitted.y * T.y;
    v.pass[2] = emitted.z * T.z;
    v.pass[3] = alpha * s.z;
    if (previous) {
      const ScreenPoint before = project(a.camera, a.tanHalfFovY, a.width, a.height, *previous);
      if (before.z > kNearDepth) {
        v.pass[4] = alpha * (s.x - before.x);
        v.pass[5] = alpha * (s.y - before.y);
      }
    }
    v.pass[6] = alpha * dot(normal.n, a.camera.right);
    v.pass[7] = alpha * dot(normal.n, a.camera.up);
    v.pass[8] = alpha * -dot(normal.n, a.camera.forward);
    if (a.group >= 0 && a.group <= 2) v.pass[9 + a.group] = alpha;
    if (a.assemble.on && a.assemble.shapeCount >= 1)
      v.pass[a.assemble.shapeCount == 2 && sourceHash(id, a.assemble.seedMix) < 0.5f ? 13 : 12] = alpha;
    v.pass[14] = alpha;
  }

  // 10. Footprint.
  float r = a.pointSize * 0.5f;
  if (a.pointSizeJitter > 0.f) r *= 1.f + a.pointSizeJitter * (2.f * jitterHash(static_cast<std::uint32_t>(i)) - 1.f);
  if (r <= 0.75f)
    depositBilinear(a, s.x, s.y, v, out);
  else
    depositDisc(a, s.x, s.y, r, v, out);
}

// A particle read at its own index.
ORB_HD inline void splatParticle(const SplatArgs& a, const SplatInputs& in, std::int64_t i, const gpu::Accumulator& out) {
  splatParticle(a, in, i, i, out);
}

}  // namespace ink
