#pragma once
// splatImage for one particle: cull, amount, normal, colour, light with
// self-shadowing, attenuation towards the camera, and the deposit of colour
// and extinction (plus the pass channels) into the order-independent image
// accumulator over a bilinear or disc footprint.
#include <cmath>
#include <cstdint>

#include "gpu/Accumulate.h"
#include "gpu/Config.h"
#include "gpu/LaneLaunch.h"
#include "ink/render/Grid.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderHashes.h"
#include "ink/render/RenderRecords.h"
#include "ink/render/SplatColour.h"
#include "util/LaneMath.h"
#include "util/LaneVec.h"
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

// The screen tile p projects into (a pack of points: the tile of each).
// Particles of one tile deposit into one small patch of the accumulator and
// read one narrow column of the grids.
template <class R>
ORB_HD ORB_ALWAYS_INLINE util::lanes::UintOf<R> splatTileOf(const SplatArgs& a, const util::lanes::VecOf<R>& p) {
  const ScreenPointOf<R> s = projectOf<R>(a.camera, a.tanHalfFovY, a.width, a.height, p);
  const std::uint32_t outside = splatTileCount(a) - 1;
  const int across = (a.width + kSplatTilePixels - 1) / kSplatTilePixels;
  const int down = (a.height + kSplatTilePixels - 1) / kSplatTilePixels;
  const float side = static_cast<float>(kSplatTilePixels);
  const auto tx = clampToInt(s.x / side, -1, across), ty = clampToInt(s.y / side, -1, down);
  const auto inside = (s.z >= kNearDepth) & (tx >= 0) & (ty >= 0) & (tx < across) & (ty < down);
  return util::lanes::select(inside, util::lanes::asUint(ty * across + tx), util::lanes::UintOf<R>(outside));
}
ORB_HD inline std::uint32_t splatTile(const SplatArgs& a, orb::Vec p) { return splatTileOf<float>(a, p); }

template <class R>
struct SurfaceNormalOf {
  util::lanes::VecOf<R> n;  // facing the camera
  R facing;                 // |n · view|
};

// The normal of the ink's density field at p: against the central-difference
// gradient, turned towards the camera; the view direction where the field is flat.
template <class R>
ORB_HD ORB_ALWAYS_INLINE SurfaceNormalOf<R> densityNormal(const SplatArgs& a, const SplatInputs& in,
                                                          const util::lanes::VecOf<R>& p) {
  using util::lanes::select;
  using Vec = util::lanes::VecOf<R>;
  const float cs = in.grid.cellSize;
  const Vec G{sampleTrilinear(in.grid, in.density, p + orb::Vec{cs, 0, 0}) -
                  sampleTrilinear(in.grid, in.density, p - orb::Vec{cs, 0, 0}),
              sampleTrilinear(in.grid, in.density, p + orb::Vec{0, cs, 0}) -
                  sampleTrilinear(in.grid, in.density, p - orb::Vec{0, cs, 0}),
              sampleTrilinear(in.grid, in.density, p + orb::Vec{0, 0, cs}) -
                  sampleTrilinear(in.grid, in.density, p - orb::Vec{0, 0, cs})};
  const Vec toP = p - a.camera.eye;
  const Vec view = toP * (R(1.f) / util::lanes::max(length(toP), R(1e-6f)));
  const R g = length(G);
  const auto flat = !(g > 1e-12f);
  Vec n = G * (R(-1.f) / g);
  n = select(dot(n, view) > 0.f, -n, n);
  return {select(flat, -view, n), select(flat, R(1.f), util::lanes::abs(dot(n, view)))};
}

// The particles one shading call covers: one slot and its item on the
// device; on the cpu backend a run of consecutive slots, whose items are
// order[slot] (the slots themselves when order is null).
struct SplatItem {
  std::int64_t slot, item;
};
ORB_HD ORB_ALWAYS_INLINE std::int64_t slotOf(const SplatItem& p, int) { return p.slot; }
ORB_HD ORB_ALWAYS_INLINE std::int64_t itemOf(const SplatItem& p, int) { return p.item; }
template <class P>
struct SplatNumberOf {
  using type = float;
};
#if !defined(__CUDACC__)
struct SplatRun {
  gpu::LaneItems slots;  // stride 1
  const std::int64_t* order;
};
template <>
struct SplatNumberOf<SplatRun> {
  using type = util::lanes::Floats;
};
ORB_ALWAYS_INLINE std::int64_t slotOf(const SplatRun& p, int l) { return gpu::laneItem(p.slots, l); }
ORB_ALWAYS_INLINE std::int64_t itemOf(const SplatRun& p, int l) {
  const std::int64_t slot = slotOf(p, l);
  return p.order ? p.order[slot] : slot;
}
#endif
template <class P>
using SplatNumber = typename SplatNumberOf<P>::type;

ORB_HD ORB_ALWAYS_INLINE std::int64_t slotsOf(const SplatItem& p) { return p.slot; }
#if !defined(__CUDACC__)
ORB_ALWAYS_INLINE gpu::LaneItems slotsOf(const SplatRun& p) { return p.slots; }
#endif

// True when every particle takes the medium's own absorption and scatter
// colour: no colour map, colour-by channel, plume tint, particle colours or
// edge colour.
ORB_HD inline bool uniformInkColour(const SplatArgs& a, const SplatInputs& in) {
  return !(a.colorMap && a.mapMode > kMapNone) && a.colorBy < 1 && !(a.plumeTint && a.group == 4) && !in.colours &&
         !(a.falloffOn && a.falloffColor > 0.f);
}

template <class R>
struct SplatColourOf {
  util::lanes::VecOf<R> sigma, scatter;
};

// The colour chain of one particle.
ORB_HD inline SplatColourOf<float> inkColourAt(const SplatArgs& a, const SplatInputs& in, std::int64_t slot,
                                               std::int64_t item, orb::Vec p, float z, float edge) {
  const orb::Vec* previous = in.previous ? in.previous + slot : nullptr;
  const ParticleView view{p, previous, z, in.idBase + static_cast<std::uint64_t>(item), &in.grid, in.density};
  const InkColour ink = particleColour(a, view, in.rest, in.restIsUV, in.colours, slot, edge);
  return {ink.sigma, ink.scatter};
}
ORB_HD ORB_ALWAYS_INLINE SplatColourOf<float> inkColour(const SplatArgs& a, const SplatInputs& in, const SplatItem& q,
                                                        orb::Vec p, float z, float edge) {
  return inkColourAt(a, in, q.slot, q.item, p, z, edge);
}
#if !defined(__CUDACC__)
// The chain lane by lane: its branches and table reads differ per particle.
ORB_ALWAYS_INLINE SplatColourOf<util::lanes::Floats> inkColour(const SplatArgs& a, const SplatInputs& in,
                                                               const SplatRun& q, const util::lanes::FloatsVec& p,
                                                               util::lanes::Floats z, util::lanes::Floats edge) {
  SplatColourOf<util::lanes::Floats> c;
  for (int l = 0; l < util::lanes::kLanes; ++l) {
    const SplatColourOf<float> one = inkColourAt(a, in, slotOf(q, l), itemOf(q, l), lane(p, l), lane(z, l), lane(edge, l));
    setLane(c.sigma, l, one.sigma);
    setLane(c.scatter, l, one.scatter);
  }
  return c;
}
#endif

// What shading gives a particle (or each lane of a pack) before its deposit.
template <class R>
struct SplatShadeOf {
  util::lanes::MaskOf<R> drawn;  // not culled
  ScreenPointOf<R> s;
  R amount;
  SurfaceNormalOf<R> normal;
  util::lanes::VecOf<R> sigma;  // absorption
  util::lanes::VecOf<R> T;      // transmittance towards the camera
  R image[kAccumulatorFloats];   // colour and extinction, times the amount
};
using SplatShade = SplatShadeOf<float>;

// Cull, amount, normal, falloff, colour, light with self-shadowing and the
// attenuation towards the camera: everything but the culls by the depth
// buffers, the pass values and the deposit. The result's other fields are
// meaningful only where `drawn` holds (none are set when no lane is drawn).
template <class P>
ORB_HD ORB_ALWAYS_INLINE SplatShadeOf<SplatNumber<P>> shadeSplat(const SplatArgs& a, const SplatInputs& in,
                                                                  const P& particles) {
  using R = SplatNumber<P>;
  using Vec = util::lanes::VecOf<R>;
  using util::lanes::exp;
  using util::lanes::max;
  SplatShadeOf<R> out;
  // 1. Cull. Comparisons are written so that NaN positions and weights are dropped.
  const R weight = gpu::get(in.weights, slotsOf(particles));
  const Vec p = gpu::get(in.positions, slotsOf(particles));
  const ScreenPointOf<R> s = projectOf<R>(a.camera, a.tanHalfFovY, a.width, a.height, p);
  out.s = s;
  out.drawn = (weight > 1e-5f) & (s.z >= kNearDepth) & (s.x >= -1.f) & (s.y >= -1.f) &
              (s.x <= static_cast<float>(a.width)) & (s.y <= static_cast<float>(a.height));
  if (!util::lanes::any(out.drawn)) return out;

  // 2. Mass per unit screen area: s_px is one pixel's width at depth z.
  const R pixelWidth = 2.f * s.z * a.camera.tanHalfFov / static_cast<float>(a.width);
  R amount = weight * a.sourceWeight / (pixelWidth * pixelWidth);

  // 3. Normal, 4. falloff.
  out.normal = SurfaceNormalOf<R>{Vec(orb::Vec{0.f, 0.f, 1.f}), R(1.f)};
  if (a.falloffOn || a.passes) out.normal = densityNormal<R>(a, in, p);
  R edge = 0.f;
  if (a.falloffOn) {
    const float power = fmaxf(a.falloffPower, 0.05f);
    edge = util::lanes::laneByLane(max(1.f - out.normal.facing, R(0.f)), [power](float x) { return powf(x, power); });
    amount *= a.falloffFace + (a.falloffEdge - a.falloffFace) * edge;
  }
  out.amount = amount;

  // 5. Colour.
  const SplatColourOf<R> ink = uniformInkColour(a, in) ? SplatColourOf<R>{Vec(a.absorb), Vec(a.scatter)}
                                                       : inkColour(a, in, particles, p, s.z, edge);
  out.sigma = ink.sigma;

  // 6. Light with self-shadowing, from the absorption as set (before colouring).
  const std::int64_t cells = static_cast<std::int64_t>(in.grid.n) * in.grid.n * in.grid.n;
  const float shadowAbsorb = (a.absorb.x + a.absorb.y + a.absorb.z) / 3.f * a.shadow;
  Vec light = a.ambient;
  for (int l = 0; l < a.lights.count && l < kMaxLights; ++l) {
    const R tau = sampleTrilinear(in.grid, in.lightGrids + l * cells, p);
    light += a.lights.colour[l] * exp(-shadowAbsorb * tau);
  }

  // 7. Attenuation towards the camera, 8. shaded colour.
  const R tauView = sampleTrilinear(in.grid, in.viewGrid, p);
  out.T = Vec{exp(-ink.sigma.x * tauView), exp(-ink.sigma.y * tauView), exp(-ink.sigma.z * tauView)};
  const Vec own = in.emission ? Vec(gpu::get(in.emission, slotsOf(particles))) : Vec(orb::Vec{0.f, 0.f, 0.f});
  const Vec lit{ink.scatter.x * light.x, ink.scatter.y * light.y, ink.scatter.z * light.z};
  const Vec glow = lit * R(a.scatterAmount) + Vec(a.emission * a.emitAmount) + own;
  const Vec colour{glow.x * out.T.x, glow.y * out.T.y, glow.z * out.T.z};

  // 9. Values to splat.
  out.image[0] = amount * colour.x;
  out.image[1] = amount * colour.y;
  out.image[2] = amount * colour.z;
  out.image[3] = amount * ink.sigma.x;
  out.image[4] = amount * ink.sigma.y;
  out.image[5] = amount * ink.sigma.z;
  return out;
}

#if !defined(__CUDACC__)
ORB_ALWAYS_INLINE SplatShade lane(const SplatShadeOf<util::lanes::Floats>& v, int l) {
  SplatShade one;
  one.drawn = holds(v.drawn, l);
  one.s = {lane(v.s.x, l), lane(v.s.y, l), lane(v.s.z, l)};
  one.amount = lane(v.amount, l);
  one.normal = {lane(v.normal.n, l), lane(v.normal.facing, l)};
  one.sigma = lane(v.sigma, l);
  one.T = lane(v.T, l);
  for (int c = 0; c < kAccumulatorFloats; ++c) one.image[c] = lane(v.image[c], l);
  return one;
}
#endif

// True when the matte or the scene hides a particle at s.
ORB_HD inline bool hiddenByDepth(const SplatArgs& a, const ScreenPoint& s) {
  if (!a.matteDepth && !a.sceneDepth) return false;
  const std::int64_t pixel = nearestPixel(a, s.x, s.y);
  return (a.matteDepth && s.z > a.matteDepth[2 * pixel]) || (a.sceneDepth && s.z > a.sceneDepth[pixel]);
}

// The pass values of a drawn particle: emission, depth, motion, normal and
// coverage, each times its alpha. `slot` indexes the per-particle arrays of
// `in`, `i` is the particle's index in its chunk (its id).
ORB_HD inline void passValues(const SplatArgs& a, const SplatInputs& in, std::int64_t slot, std::int64_t i,
                              const SplatShade& shade, float* pass) {
  for (int c = 0; c < kPassAccumulatorFloats; ++c) pass[c] = 0.f;
  const ScreenPoint& s = shade.s;
  const float amount = shade.amount;
  const orb::Vec& sigma = shade.sigma;
  const orb::Vec& T = shade.T;
  const orb::Vec& n = shade.normal.n;
  const std::uint64_t id = in.idBase + static_cast<std::uint64_t>(i);
  const float alpha = amount * (sigma.x + sigma.y + sigma.z) / 3.f;
  const orb::Vec emitted = a.emission * (amount * a.emitAmount);
  pass[0] = emitted.x * T.x;
  pass[1] = emitted.y * T.y;
  pass[2] = emitted.z * T.z;
  pass[3] = alpha * s.z;
  if (in.previous) {
    const ScreenPoint before = project(a.camera, a.tanHalfFovY, a.width, a.height, in.previous[slot]);
    if (before.z > kNearDepth) {
      pass[4] = alpha * (s.x - before.x);
      pass[5] = alpha * (s.y - before.y);
    }
  }
  pass[6] = alpha * dot(n, a.camera.right);
  pass[7] = alpha * dot(n, a.camera.up);
  pass[8] = alpha * -dot(n, a.camera.forward);
  if (a.group >= 0 && a.group <= 2) pass[9 + a.group] = alpha;
  if (a.assemble.on && a.assemble.shapeCount >= 1)
    pass[a.assemble.shapeCount == 2 && sourceHash(id, a.assemble.seedMix) < 0.5f ? 13 : 12] = alpha;
  pass[14] = alpha;
}

// The deposit of v over the footprint of particle i (its size jitter) at s.
ORB_HD inline void depositFootprint(const SplatArgs& a, std::int64_t i, const ScreenPoint& s, const SplatValues& v,
                                    const gpu::Accumulator& out) {
  // A local copy of the accumulator: the compiler then knows its fields are
  // not among the floats the deposits write, and keeps them in registers
  // instead of reloading them for every add.
  const gpu::Accumulator own = out;
  float r = a.pointSize * 0.5f;
  if (a.pointSizeJitter > 0.f) r *= 1.f + a.pointSizeJitter * (2.f * jitterHash(static_cast<std::uint32_t>(i)) - 1.f);
  if (r <= 0.75f)
    depositBilinear(a, s.x, s.y, v, own);
  else
    depositDisc(a, s.x, s.y, r, v, own);
}

// The rest of one drawn particle: the culls by the matte and scene depth,
// the pass values and the deposit over its footprint.
ORB_HD inline void depositSplat(const SplatArgs& a, const SplatInputs& in, std::int64_t slot, std::int64_t i,
                                const SplatShade& shade, const gpu::Accumulator& out) {
  if (hiddenByDepth(a, shade.s)) return;
  SplatValues v;
  for (int c = 0; c < kAccumulatorFloats; ++c) v.image[c] = shade.image[c];
  v.withPasses = a.passes != nullptr;
  if (v.withPasses) passValues(a, in, slot, i, shade, v.pass);
  depositFootprint(a, i, shade.s, v, out);
}

// splatImage for one particle: `slot` indexes the per-particle arrays of
// `in`, `i` is the particle's index in its chunk; they differ when the
// launch runs the particles from reordered copies of the arrays.
ORB_HD inline void splatParticle(const SplatArgs& a, const SplatInputs& in, std::int64_t slot, std::int64_t i,
                                 const gpu::Accumulator& out) {
  const SplatShade shade = shadeSplat(a, in, SplatItem{slot, i});
  if (shade.drawn) depositSplat(a, in, slot, i, shade, out);
}


// A particle read at its own index.
ORB_HD inline void splatParticle(const SplatArgs& a, const SplatInputs& in, std::int64_t i, const gpu::Accumulator& out) {
  splatParticle(a, in, i, i, out);
}

}  // namespace ink
