#pragma once
// The motion of one swirl particle through a Vortex Force's sampled track:
// held to the sphere, swirled and drawn around each vortex in proportion to
// a soft partition of the surface, stirred by a looping turbulence, and
// integrated with semi-implicit Euler in the force's time unit.
#include <cmath>
#include <cstdint>

#include "forces/SwirlFrame.h"
#include "gpu/Config.h"
#include "ink/sim/InkHash.h"
#include "ink/sim/InkSeeding.h"
#include "ink/sim/SwirlRecords.h"
#include "util/Vec.h"

namespace ink {

// Salts of the swirl seeding draws; distinct from the ink's and the silk's.
namespace swirlsalt {
constexpr std::uint32_t kDirZ = 0x7C159E3Du, kDirPhi = 0x2A5F1B7Bu;
}  // namespace swirlsalt

struct SwirlState {
  orb::Vec position;
  orb::Vec velocity;
};

// Where particle i starts: on the seeding sphere, at rest.
ORB_HD inline SwirlState swirlSeed(const SwirlParams& P, std::int64_t i) {
  const DrawSet d{static_cast<std::uint32_t>(P.seedMix), indexHash(i) * kGolden};
  return {unitDirection(d(swirlsalt::kDirZ), d(swirlsalt::kDirPhi)) * P.seedRadius, {0.f, 0.f, 0.f}};
}

// The track frame in force at t: the nearest, held at both ends.
ORB_HD inline const swirl::Frame& swirlFrameAt(const SwirlParams& P, const swirl::Frame* track, float t) {
  const float f = floorf(P.fps * (t - P.trackStart) + 0.5f);
  const float last = static_cast<float>(P.trackFrames - 1);
  return track[static_cast<int>(fminf(fmaxf(f, 0.f), last))];
}

// A smooth looping stir along the sphere: its phase runs once around per
// loop, it varies with the particle's y and z and with its index, and its
// radial part is removed so that it never fights the surface hold.
ORB_HD inline orb::Vec swirlTurbulence(orb::Vec p, orb::Vec n, float index, float omega) {
  const float y = 0.08f * p.y, z = 0.08f * p.z, k = 0.013f * index;
  orb::Vec T{sinf(y + omega + k) - cosf(z - omega), sinf(2.f * omega + z) - cosf(y + omega + k),
             sinf(y - omega) - cosf(2.f * omega + z + k)};
  return T - n * dot(T, n);
}

// The acceleration of a particle at p with velocity v at time t.
ORB_HD inline orb::Vec swirlAcceleration(const swirl::Frame& F, orb::Vec p, orb::Vec v, float index, float t) {
  const float r = length(p);
  if (r < 1e-5f) return {0.f, 0.f, 0.f};
  const orb::Vec n = p * (1.f / r);
  const int count = F.count < 0 ? 0 : (F.count > swirl::kMaxVortices ? swirl::kMaxVortices : F.count);
  const float P = fmaxf(F.partition, 0.f);

  // The partition: each vortex's share of the surface at p.
  float w[swirl::kMaxVortices];
  float S = 0.f;
  for (int j = 0; j < count; ++j) {
    const swirl::Vortex& V = F.vortices[j];
    const bool own = V.isSeed != 0;
    const float c = fmaxf(own && V.spread > 0.f ? V.spread : F.spread, 1e-6f);
    const float beta = own && V.on == 0 ? 1000000.f : acosf(fminf(fmaxf(dot(n, V.axis), -1.f), 1.f)) / c;
    w[j] = P == 0.f ? 1.f : powf(expf(-beta * beta) + 1e-9f, P);
    S += w[j];
  }

  orb::Vec force = n * ((F.radius - r) * F.surfaceHold);
  if (S > 1e-9f) {
    for (int j = 0; j < count; ++j) {
      const float share = w[j] / S;
      if (share < 0.0001f) continue;
      const swirl::Vortex& V = F.vortices[j];
      const bool own = V.isSeed != 0;
      const float c = fmaxf(own && V.spread > 0.f ? V.spread : F.spread, 1e-6f);
      const float g1 = F.swirl * (own ? V.swirl : 1.f), g2 = F.attraction * (own ? V.attraction : 1.f);
      const float eye = own && V.eye > 0.f ? V.eye : fmaxf(F.eye, 0.01f);
      const float cosine = dot(n, V.axis);
      const float beta = acosf(fminf(fmaxf(cosine, -1.f), 1.f)) / c;
      orb::Vec tau = cross(V.axis, n);
      const float tl = length(tau);
      if (tl > 1e-6f) tau = tau * (1.f / tl);
      orb::Vec kappa = V.axis - n * cosine;
      const float kl = length(kappa);
      if (kl > 1e-6f) kappa = kappa * (1.f / kl);
      const float G = expf(-beta * beta);
      force += (tau * (g1 * fminf(beta / eye, 1.f) * G) + kappa * (g2 * fminf(beta, 1.f) * G)) * share;
    }
  }
  if (F.turbulence > 0.f) {
    const float omega = 6.283185307f * t / fmaxf(F.loopSeconds, 0.1f);
    force += swirlTurbulence(p, n, index, omega) * F.turbulence;
  }
  return force * F.responseScale - v * F.drag;
}

// Particle i from t0 to t1; a particle without state (or going back in
// time) is seeded and starts at the swirl's start time.
ORB_HD inline SwirlState swirlAdvance(const SwirlParams& P, const swirl::Frame* track, SwirlState s, std::int64_t i,
                                      float t0, float t1, bool hasState) {
  if (!hasState || t1 < t0) {
    s = swirlSeed(P, i);
    t0 = P.startTime;
  }
  // Before the start nothing moves: the state there is the seed itself.
  if (t1 <= P.startTime) return swirlSeed(P, i);
  if (P.trackFrames <= 0) return s;
  const float dt = 1.f / (P.fps * static_cast<float>(P.substeps > 1 ? P.substeps : 1));
  const float t = fmaxf(t0, P.startTime);
  const int steps = static_cast<int>((t1 - t) / dt + 0.5f);
  const float scale = dt / fmaxf(P.timeUnit, 1e-6f);
  const float index = static_cast<float>(i);
  float time = t;
  for (int k = 0; k < steps; ++k) {
    const orb::Vec a = swirlAcceleration(swirlFrameAt(P, track, time), s.position, s.velocity, index, time);
    s.velocity += a * scale;
    s.position += s.velocity * scale;
    time += dt;
  }
  return s;
}

}  // namespace ink
