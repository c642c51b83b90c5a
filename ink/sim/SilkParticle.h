#pragma once
// One silk particle from its index: a point of the cloth picked uniformly by
// texture area, lifted off the surface by the thread's thickness and the fine
// folds, and scattered with a lower weight near the fabric's frayed border.
// A pure function of the record, the triangles and the index, so the cloth
// can be regenerated in any batch at any time.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/AreaPick.h"
#include "ink/sim/CurlNoise.h"
#include "ink/sim/InkHash.h"
#include "ink/sim/InkSeeding.h"
#include "ink/sim/SilkRecords.h"
#include "util/Vec.h"

namespace ink {

// Salts of the silk draws; distinct from the ink's.
namespace silksalt {
constexpr std::uint32_t kPick = 0x3C6EF35Fu, kAlpha = 0x47B6137Bu, kBeta = 0x5F356495u;
constexpr std::uint32_t kGaussU = 0x2E1B2138u, kGaussV = 0x6A09E667u;
constexpr std::uint32_t kFrayZ = 0x510E527Fu, kFrayPhi = 0x1F83D9ABu, kFrayLength = 0x5BE0CD19u;
}  // namespace silksalt

// R is float for one particle, or a pack of floats for one per lane.
template <class R>
struct SilkPoint {
  util::lanes::VecOf<R> position;
  R weight;
  R u, v;  // texture position
};

// The folds' height in [-1, 1]: octaves of gradient noise over texture space
// whose sampling point circles once per loop, so a looping animation repeats.
template <class R>
ORB_HD ORB_ALWAYS_INLINE R silkWrinkle(const SilkParams& P, R u, R v) {
  if (P.wrinkleOctaves <= 0) return R(0.f);
  const float phi = 6.283185307f * P.loopPhase;
  const R U = P.wrinkleScale * u + 0.4f * cosf(phi);
  const R V = 0.35f * P.wrinkleScale * v + 0.4f * sinf(phi);
  float amplitude = 0.5f, frequency = 1.f, total = 0.f;
  R sum(0.f);
  for (int o = 0; o < P.wrinkleOctaves; ++o) {
    const std::uint32_t salt = 31u * static_cast<std::uint32_t>(o) + static_cast<std::uint32_t>(P.seedMix);
    const util::lanes::VecOf<R> q{U * frequency, V * frequency, R(7.3f * static_cast<float>(o) + 3.7f)};
    sum += amplitude * gradientNoiseValue<R>(q, salt);
    total += amplitude;
    amplitude *= 0.5f;
    frequency *= 2.1f;
  }
  return sum / fmaxf(total, 1e-6f);
}

// The particle whose index hashes to h (ink::indexHash).
template <class R>
ORB_HD ORB_ALWAYS_INLINE SilkPoint<R> silkParticle(const SilkParams& P, const SilkTri* tris, const GuidedPick& pick,
                                        util::lanes::UintOf<R> h) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  const DrawSetOf<lanes::UintOf<R>> d{static_cast<std::uint32_t>(P.seedMix) * kSeedMultiplier, h * kGolden};
  const lanes::IntOf<R> t(P.triangleCount <= 1 ? lanes::IntOf<R>(0) : pick(d(silksalt::kPick)));

  R alpha = d(silksalt::kAlpha), beta = d(silksalt::kBeta);
  const auto flip = alpha + beta > 1.f;
  alpha = lanes::select(flip, 1.f - alpha, alpha);
  beta = lanes::select(flip, 1.f - beta, beta);
  const R w0 = 1.f - alpha - beta;
  const Vec q0 = lanes::fieldAt(tris, t, &SilkTri::q0), q1 = lanes::fieldAt(tris, t, &SilkTri::q1),
            q2 = lanes::fieldAt(tris, t, &SilkTri::q2);
  Vec p = q0 * w0 + q1 * alpha + q2 * beta;
  const R u = lanes::fieldAt(tris, t, &SilkTri::a0) * w0 + lanes::fieldAt(tris, t, &SilkTri::a1) * alpha +
              lanes::fieldAt(tris, t, &SilkTri::a2) * beta;
  const R v = lanes::fieldAt(tris, t, &SilkTri::b0) * w0 + lanes::fieldAt(tris, t, &SilkTri::b1) * alpha +
              lanes::fieldAt(tris, t, &SilkTri::b2) * beta;

  const Vec c = cross(q1 - q0, q2 - q0);
  const R len = length(c);
  const Vec n = lanes::select(len > 1e-12f, c * (1.f / len), Vec(orb::Vec{0.f, 0.f, 1.f}));
  const R offset =
      P.thickness * standardNormal(d(silksalt::kGaussU), d(silksalt::kGaussV)) + P.wrinkle * silkWrinkle(P, u, v);
  p += n * offset;

  R weight(1.f);
  if (P.fray > 0.f) {
    const R edge = lanes::max(lanes::min(lanes::min(u, 1.f - u), lanes::min(v, 1.f - v)), R(0.f));
    const R f = 1.f - lanes::min(edge / P.fray, R(1.f));
    const auto frayed = f > 0.f;
    if (lanes::any(frayed)) {
      const Vec dir = unitDirection(d(silksalt::kFrayZ), d(silksalt::kFrayPhi));
      p = lanes::select(frayed, p + dir * (d(silksalt::kFrayLength) * 20.f * P.fray * f * f), p);
      weight = lanes::select(frayed, 1.f - 0.85f * f, weight);
    }
  }
  return {p, weight, u, v};
}

}  // namespace ink
