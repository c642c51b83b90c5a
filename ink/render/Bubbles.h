#pragma once
// Air bubbles in the glass: each drawn from a chained hash of its index and
// the seed, rising through the orb and wrapping from top to bottom,
// wobbling sideways; the nearest one on the camera ray inside the glass is
// shaded with a darkened rim, its reflection and highlights.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/render/Environment.h"
#include "ink/render/Glass.h"
#include "ink/render/RenderRecords.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace ink {

struct BubbleField {
  std::int32_t count;
  float orbRadius;  // R
  float size, sizeVar, rise, wobble;
  float time;  // seconds
  std::int32_t seedHash;
};

struct Bubble {
  orb::Vec centre;
  float radius;
};

// The six draws of bubble i, each in [0, 1).
ORB_HD inline void bubbleDraws(std::uint32_t seedHash, std::uint32_t i, float (&a)[6]) {
  std::uint32_t h = seedHash ^ (i * 0x9E3779B1u);
  for (float& draw : a) {
    h += 0x9E3779B9u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    draw = static_cast<float>(h >> 8) * (1.f / 16777216.f);
  }
}

ORB_HD inline Bubble bubbleAt(const BubbleField& f, std::int32_t i) {
  float a[6];
  bubbleDraws(static_cast<std::uint32_t>(f.seedHash), static_cast<std::uint32_t>(i), a);
  const float R = f.orbRadius;
  const float rb = R * f.size * (1.f - f.sizeVar * a[3] * a[3]);
  const float s = 0.6f + 0.8f * a[5];
  const float phi = util::kTwoPi * a[0], psi = util::kTwoPi * a[4];
  // Height in units of 0.9 R; larger bubbles rise faster; wrapped into [−1, 1).
  float z = (2.f * a[2] - 1.f) + f.time * f.rise * s * (rb / fmaxf(R * f.size, 1e-6f) + 0.5f);
  z -= 2.f * floorf((z + 1.f) * 0.5f);
  const float rho = sqrtf(fmaxf(1.f - z * z, 0.f)) * sqrtf(a[1]);
  return {{0.9f * R * rho * cosf(phi) + f.wobble * R * sinf(3.1f * s * f.time + psi),
           0.9f * R * rho * sinf(phi) + f.wobble * R * cosf(2.3f * s * f.time + 1.7f * psi), 0.9f * R * z},
          rb};
}

struct BubbleHit {
  bool hit = false;
  orb::Vec point{}, normal{};
};

// The nearest bubble the camera ray enters between the glass's near and far
// crossings. `placed`, when not null, holds bubbleAt(f, i) for every i,
// computed once for the frame rather than once per pixel.
ORB_HD inline BubbleHit nearestBubble(const BubbleField& f, const Bubble* placed, orb::Vec eye, orb::Vec d,
                                      float tNear, float tFar) {
  BubbleHit best;
  float nearest = tFar;
  Bubble winner{};
  for (std::int32_t i = 0; i < f.count; ++i) {
    const Bubble b = placed ? placed[i] : bubbleAt(f, i);
    const SphereCrossing c = crossSphere(eye - b.centre, d, b.radius);
    if (c.hit && c.tNear > tNear && c.tNear < nearest) {
      nearest = c.tNear;
      winner = b;
      best.hit = true;
    }
  }
  if (best.hit) {
    best.point = eye + d * nearest;
    best.normal = normalizedOr(best.point - winner.centre, -d);
  }
  return best;
}

// The bubble over K: a darker rim, what it reflects, a glint of each light
// and a fixed highlight from the upper left.
ORB_HD inline orb::Vec shadeBubble(orb::Vec K, const BubbleHit& b, orb::Vec d, const Camera& camera,
                                   const LightSet& lights, const Reflections& env, float shine) {
  const orb::Vec nb = b.normal;
  const float c = fmaxf(-dot(d, nb), 0.f), e = 1.f - c;
  const float fb = 0.04f + 0.96f * e * e * e * e * e;
  const orb::Vec r = reflect(d, nb);
  K = K * (1.f - 0.75f * fminf(1.6f * powf(e, 1.5f), 1.f));
  K += reflectionColour(env, r) * (fb * shine);
  for (int l = 0; l < lights.count; ++l) {
    const orb::Vec col = lights.colour[l];
    const float peak = fmaxf(fmaxf(fmaxf(col.x, col.y), col.z), 0.001f);
    K += col * (3.f * shine * powPositive(dot(r, lights.direction[l]), 250.f) / peak);
  }
  const orb::Vec h = normalizedOr(camera.up - camera.right * 0.6f - d * 0.5f, camera.up);
  const float glint = 1.2f * shine * powPositive(dot(nb, h), 60.f);
  return K + orb::Vec{glint, glint, glint};
}

}  // namespace ink
