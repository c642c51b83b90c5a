#pragma once
// One silk particle from its index: a point of the cloth picked uniformly by
// texture area, lifted off the surface by the thread's thickness and the fine
// folds, and scattered with a lower weight near the fabric's frayed border.
// A pure function of the record, the triangles and the index, so the cloth
// can be regenerated in any batch at any time.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
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

struct SilkPoint {
  orb::Vec position;
  float weight;
  float u, v;  // texture position
};

// The folds' height in [-1, 1]: octaves of gradient noise over texture space
// whose sampling point circles once per loop, so a looping animation repeats.
ORB_HD inline float silkWrinkle(const SilkParams& P, float u, float v) {
  if (P.wrinkleOctaves <= 0) return 0.f;
  const float phi = 6.283185307f * P.loopPhase;
  const float U = P.wrinkleScale * u + 0.4f * cosf(phi);
  const float V = 0.35f * P.wrinkleScale * v + 0.4f * sinf(phi);
  float amplitude = 0.5f, frequency = 1.f, sum = 0.f, total = 0.f;
  for (int o = 0; o < P.wrinkleOctaves; ++o) {
    const std::uint32_t salt = 31u * static_cast<std::uint32_t>(o) + static_cast<std::uint32_t>(P.seedMix);
    const orb::Vec q{U * frequency, V * frequency, 7.3f * static_cast<float>(o) + 3.7f};
    sum += amplitude * gradientNoiseValue(q, salt);
    total += amplitude;
    amplitude *= 0.5f;
    frequency *= 2.1f;
  }
  return sum / fmaxf(total, 1e-6f);
}

ORB_HD inline SilkPoint silkParticle(const SilkParams& P, const SilkTri* tris, const float* areas, std::int64_t g) {
  const std::uint32_t h = indexHash(g);
  const DrawSet d{static_cast<std::uint32_t>(P.seedMix) * kSeedMultiplier, h * kGolden};
  const SilkTri& T = tris[P.triangleCount <= 1 ? 0 : pickTriangle(areas, P.triangleCount, d(silksalt::kPick))];

  float alpha = d(silksalt::kAlpha), beta = d(silksalt::kBeta);
  if (alpha + beta > 1.f) {
    alpha = 1.f - alpha;
    beta = 1.f - beta;
  }
  const float w0 = 1.f - alpha - beta;
  orb::Vec p = T.q0 * w0 + T.q1 * alpha + T.q2 * beta;
  const float u = T.a0 * w0 + T.a1 * alpha + T.a2 * beta;
  const float v = T.b0 * w0 + T.b1 * alpha + T.b2 * beta;

  const orb::Vec c = cross(T.q1 - T.q0, T.q2 - T.q0);
  const float len = length(c);
  const orb::Vec n = len > 1e-12f ? c * (1.f / len) : orb::Vec{0.f, 0.f, 1.f};
  const float offset =
      P.thickness * standardNormal(d(silksalt::kGaussU), d(silksalt::kGaussV)) + P.wrinkle * silkWrinkle(P, u, v);
  p += n * offset;

  float weight = 1.f;
  if (P.fray > 0.f) {
    const float edge = fmaxf(fminf(fminf(u, 1.f - u), fminf(v, 1.f - v)), 0.f);
    const float f = 1.f - fminf(edge / P.fray, 1.f);
    if (f > 0.f) {
      const orb::Vec dir = unitDirection(d(silksalt::kFrayZ), d(silksalt::kFrayPhi));
      p += dir * (d(silksalt::kFrayLength) * 20.f * P.fray * f * f);
      weight = 1.f - 0.85f * f;
    }
  }
  return {p, weight, u, v};
}

}  // namespace ink
