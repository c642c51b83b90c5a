#pragma once
// The colour of one splatted particle: absorption σ and scatter colour c,
// from the medium's settings through the colour map, colour-by channel,
// plume tint, particle colour and edge colour, in that order.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/render/Grid.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderHashes.h"
#include "ink/render/RenderRecords.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace ink {

enum MapMode : std::int32_t { kMapNone = 0, kMapAxis = 1, kMapRadial = 2, kMapSphere = 3, kMapTop = 4, kMapFront = 5 };

// The absorption that makes ink look colour C in thin layers:
// σ(C) = −0.508 ln(clamp(C, 0.01, 1)) per channel.
ORB_HD inline orb::Vec absorptionOf(orb::Vec colour) {
  auto channel = [](float c) { return -0.508f * logf(fminf(fmaxf(c, 0.01f), 1.f)); };
  return {channel(colour.x), channel(colour.y), channel(colour.z)};
}

// Bilinear texel read: u wraps around the map's width, v is clamped to its height.
ORB_HD inline orb::Vec sampleColourMap(const float* map, int width, int height, float u, float v) {
  if (width <= 0 || height <= 0) return {0.f, 0.f, 0.f};
  const float x = (u - floorf(u)) * static_cast<float>(width) - 0.5f;
  const float y = util::clamp01(v) * static_cast<float>(height) - 0.5f;
  const float bx = floorf(x), by = floorf(y);
  const float fx = x - bx, fy = y - by;
  const int x0 = clampToInt(bx, -1, width);  // x ∈ [−0.5, width − 0.5)
  const int y0 = clampToInt(by, -1, height);
  auto texel = [&](int i, int j) {
    const int col = ((i % width) + width) % width;
    const int row = j < 0 ? 0 : (j > height - 1 ? height - 1 : j);
    const float* t = map + 3 * (static_cast<std::int64_t>(row) * width + col);
    return orb::Vec{t[0], t[1], t[2]};
  };
  const orb::Vec top = lerp(texel(x0, y0), texel(x0 + 1, y0), fx);
  const orb::Vec bottom = lerp(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), fx);
  return lerp(top, bottom, fy);
}

struct MapCoordinates {
  bool valid;
  float u, v;
};

// Where the particle reads the colour map: its rest position when colour
// sticks and it has one (a cloth UV for silk), else its position, projected
// by the mapping mode.
ORB_HD inline MapCoordinates mapCoordinates(const SplatArgs& a, orb::Vec p, const orb::Vec* rest, std::int32_t restIsUV,
                                            std::int64_t i) {
  if (!a.colorMap || a.mapMode <= kMapNone) return {false, 0.f, 0.f};
  const bool useRest = a.colorSticky == 1 && rest;
  const orb::Vec q = useRest ? rest[i] : p;
  if (useRest && restIsUV) return {true, q.x * a.colorScale, q.y};
  const float s = a.colorScale, rho = a.mapRadius;
  switch (a.mapMode) {
    case kMapAxis: {
      const float t = 0.5f * (1.f + s * dot(q, a.mapAxis) / rho);
      return {true, t, t};
    }
    case kMapRadial: {
      const float t = s * length(q) / rho;
      return {true, t, t};
    }
    case kMapSphere: {
      const float r = fmaxf(length(q), 1e-6f);
      return {true, s * (atan2f(q.y, q.x) / util::kTwoPi + 0.5f), acosf(fminf(fmaxf(q.z / r, -1.f), 1.f)) / util::kPi};
    }
    case kMapTop:
      return {true, 0.5f * (1.f + s * q.x / rho), 0.5f * (1.f + s * q.y / rho)};
    case kMapFront:
      return {true, 0.5f * (1.f + s * q.x / rho), 0.5f * (1.f + s * q.z / rho)};
    default:
      return {false, 0.f, 0.f};
  }
}

enum ColourBy : std::int32_t { kBySpeed = 1, kByAge = 2, kByDensity = 3, kByDepth = 4, kByHeight = 5, kByRadius = 6, kByGroup = 7 };

// Everything about the particle that the colour-by channels read.
struct ParticleView {
  orb::Vec p;
  const orb::Vec* previous;  // null without a previous position
  float z;                   // view depth
  std::uint64_t id;
  const GridInfo* grid;
  const float* density;
};

ORB_HD inline float colourByValue(const SplatArgs& a, const ParticleView& v) {
  switch (a.colorBy) {
    case kBySpeed:
      return v.previous ? length(v.p - *v.previous) * a.frameRate : 0.f;
    case kByAge: {
      if (a.group != 0) return 0.f;
      if (!a.inkParams.loop) return fmaxf(a.time - a.inkParams.startTime, 0.f);
      // Odd particles run half a loop out of phase so that the loop seam never shows at once.
      const float L = fmaxf(a.inkParams.loopSeconds, 0.1f);
      const float phase = a.time + ((v.id & 1u) ? 0.5f * L : 0.f);
      return phase - L * floorf(phase / L);
    }
    case kByDensity:
      return sampleTrilinear(*v.grid, v.density, v.p);
    case kByDepth:
      return v.z;
    case kByHeight:
      return v.p.z;
    case kByRadius:
      return length(v.p);
    case kByGroup:
      return static_cast<float>(a.group) +
             ((a.assemble.on && a.assemble.shapeCount >= 2 && sourceHash(v.id, a.assemble.seedMix) < 0.5f) ? 0.5f
                                                                                                          : 0.f);
    default:
      return 0.f;
  }
}

struct InkColour {
  orb::Vec sigma;    // absorption per unit optical depth
  orb::Vec scatter;  // colour of scattered light
};

ORB_HD inline void mixTowards(InkColour& ink, orb::Vec colour, float k) {
  ink.sigma = lerp(ink.sigma, absorptionOf(colour), k);
  ink.scatter = lerp(ink.scatter, colour, k);
}

ORB_HD inline void replaceWith(InkColour& ink, orb::Vec colour) {
  ink.sigma = absorptionOf(colour);
  ink.scatter = colour;
}

// The colour chain. `edge` is the facing edge weight of the falloff; the
// plume tint switches the edge colour off through it.
ORB_HD inline InkColour particleColour(const SplatArgs& a, const ParticleView& v, const orb::Vec* rest,
                                       std::int32_t restIsUV, const orb::Vec* colours, std::int64_t i, float edge) {
  InkColour ink{a.absorb, a.scatter};
  MapCoordinates uv{false, 0.f, 0.f};
  if (a.colorMap && a.mapMode > kMapNone) uv = mapCoordinates(a, v.p, rest, restIsUV, i);
  if (a.colorBy >= 1) {
    const float t = util::clamp01((colourByValue(a, v) - a.colorByMin) / fmaxf(a.colorByMax - a.colorByMin, 1e-6f));
    const orb::Vec c = a.colorMap ? sampleColourMap(a.colorMap, a.mapWidth, a.mapHeight, t, t)
                                  : a.rampStart + (a.rampEnd - a.rampStart) * t;
    mixTowards(ink, c, a.colorStrength);
    uv.valid = false;
  }
  if (a.plumeTint && a.group == 4) {
    replaceWith(ink, a.plumeColour);
    uv.valid = false;
    edge = 0.f;
  }
  if (colours)
    replaceWith(ink, colours[i]);
  else if (uv.valid)
    mixTowards(ink, sampleColourMap(a.colorMap, a.mapWidth, a.mapHeight, uv.u, uv.v), a.colorStrength);
  if (a.falloffOn && a.falloffColor > 0.f) mixTowards(ink, a.falloffEdgeColour, fminf(edge * a.falloffColor, 1.f));
  return ink;
}

}  // namespace ink
