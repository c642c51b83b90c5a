#pragma once
// The assemble morph of one particle: from a point inside one of the target
// shapes (progress 0) to its simulated position (progress 1), along a spiral
// about the z axis with an outward bulge, a mid-flight wander and smoke
// curls that all vanish at both ends. The kernel and the viewport's host
// copy call this one function, so both give the same particles.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/AssembleDraw.h"
#include "ink/sim/AssembleParams.h"
#include "ink/sim/CurlNoise.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace ink {

// False when the morph leaves every particle where it is: assemble off, no
// target shape, or progress at 1 (or not a number).
ORB_HD inline bool assembleMoves(const AssembleParams& P) { return P.on != 0 && P.shapeCount > 0 && P.progress < 1.f; }

// The particle's starting point: inside the second shape when there are two
// and its target draw is below 0.5, else inside the first. A box takes the
// three draws as coordinates along its half-axes; an ellipsoid maps them to
// a uniform point of the unit ball first.
ORB_HD inline orb::Vec assembleStart(const AssembleParams& P, std::uint64_t g) {
  const AssembleShape& shape =
      P.shape[P.shapeCount >= 2 && assembleDraw(g, kAssembleDrawTarget, P.seedMix) < 0.5f ? 1 : 0];
  float a = 2.f * assembleDraw(g, kAssembleDrawA, P.seedMix) - 1.f;
  float b = 2.f * assembleDraw(g, kAssembleDrawB, P.seedMix) - 1.f;
  float c = 2.f * assembleDraw(g, kAssembleDrawC, P.seedMix) - 1.f;
  if (shape.ellipsoid != 0) {
    const float rho = sqrtf(fmaxf(0.f, 1.f - c * c));
    const float phi = util::kTwoPi * (0.5f * a + 0.5f);
    const float tau = cbrtf(0.5f * b + 0.5f);
    a = cosf(phi) * rho * tau;
    b = sinf(phi) * rho * tau;
    c = c * tau;
  }
  return shape.centre + shape.axis[0] * a + shape.axis[1] * b + shape.axis[2] * c;
}

// The particle's own eased progress: with spread σ its departure is delayed
// by σ × its departure draw and its flight takes 1 − σ of the range, so the
// particles arrive over the spread's share of the range, one by one.
ORB_HD inline float assembleEase(const AssembleParams& P, std::uint64_t g) {
  const float sigma = fminf(fmaxf(P.spread, 0.f), 0.98f);
  const float lambda =
      util::clamp01((P.progress - sigma * assembleDraw(g, kAssembleDrawDeparture, P.seedMix)) / (1.f - sigma));
  return quinticFade(lambda);
}

ORB_HD inline orb::Vec rotatedAboutZ(orb::Vec p, float angle) {
  const float c = cosf(angle), s = sinf(angle);
  return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

// The curl of three gradient noises used as a vector potential, three
// octaves (frequency × 2.1, amplitude × 0.5 each), drifting with time;
// `amplitudes` receives the octaves' amplitude sum.
ORB_HD inline orb::Vec assembleSmokeCurl(const AssembleParams& P, orb::Vec q, float& amplitudes) {
  const float base = P.smokeScale / P.radius;
  const orb::Vec drift = orb::Vec{0.37f, -0.21f, 0.13f} * P.time;
  const std::uint32_t seed = 7u * static_cast<std::uint32_t>(P.seedMix);
  orb::Vec curl{0.f, 0.f, 0.f};
  float frequency = 1.f, amplitude = 1.f;
  amplitudes = 0.f;
  for (std::uint32_t octave = 0; octave < 3; ++octave) {
    const orb::Vec n = (q * base + drift) * frequency;
    const std::uint32_t lattice = seed + 31u * octave;
    const NoiseSample x = gradientNoise<float>(n + orb::Vec{17.1f, 0.f, 0.f}, lattice + 1u);
    const NoiseSample y = gradientNoise<float>(n + orb::Vec{0.f, 29.3f, 0.f}, lattice + 2u);
    const NoiseSample z = gradientNoise<float>(n + orb::Vec{0.f, 0.f, 41.7f}, lattice + 3u);
    curl += orb::Vec{z.gradient.y - y.gradient.z, x.gradient.z - z.gradient.x, y.gradient.x - x.gradient.y} *
            amplitude;
    amplitudes += amplitude;
    amplitude *= 0.5f;
    frequency *= 2.1f;
  }
  return curl;
}

// Where the particle with assemble index g and simulated position p is shown.
ORB_HD inline orb::Vec assembleMorph(const AssembleParams& P, orb::Vec p, std::uint64_t g) {
  if (!assembleMoves(P)) return p;
  const orb::Vec s = assembleStart(P, g);
  const float e = assembleEase(P, g);
  if (e <= 0.f) return s;
  if (e >= 1.f) return p;

  // Spiral: blend from the start turned back by the whole spiral, then turn
  // by what is left of it, so e = 0 is the start and e = 1 the simulation.
  const float theta = util::kTwoPi * P.turns;
  orb::Vec q = p * e + rotatedAboutZ(s, -theta) * (1.f - e);
  q = rotatedAboutZ(q, (1.f - e) * theta);

  const float flight = sinf(util::kPi * e);  // 0 at both ends, 1 half-way
  const float axial = sqrtf(q.x * q.x + q.y * q.y);
  if (axial > 0.0001f) {
    const float bulge = 1.f + P.arc * P.radius * flight / axial;
    q.x *= bulge;
    q.y *= bulge;
  }

  const float wander = 2.f * P.noise * P.radius * flight;
  q.x += (assembleDraw(g, kAssembleDrawWanderX, P.seedMix) - 0.5f) * wander;
  q.y += (assembleDraw(g, kAssembleDrawWanderY, P.seedMix) - 0.5f) * wander;
  q.z += (assembleDraw(g, kAssembleDrawWanderZ, P.seedMix) - 0.5f) * wander;

  if (P.smoke > 0.f) {
    float amplitudes = 0.f;
    const orb::Vec curl = assembleSmokeCurl(P, q, amplitudes);
    q += curl * (P.smoke * P.radius * flight / fmaxf(amplitudes, 1e-6f));
  }
  return q;
}

}  // namespace ink
