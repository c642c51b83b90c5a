#pragma once
// Improved gradient noise with its analytic gradient, and the curl-noise
// flow built from three such noises as a vector potential.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "gpu/LaneLaunch.h"
#include "ink/sim/InkHash.h"
#include "ink/sim/InkRecords.h"
#include "util/LaneMath.h"
#include "util/LaneVec.h"
#include "util/Vec.h"

namespace ink {

// One of the sixteen gradients of improved noise: the twelve cube-edge
// directions and (1,1,0), (0,-1,1), (-1,1,0), (0,-1,-1) for 12..15, chosen
// by the bits of h as the published reference does (h in [0, 16): one
// hash, or a pack of them with F the matching pack of floats).
template <class U, class F>
ORB_HD constexpr void noiseGradientComponents(U h, F& x, F& y, F& z) {
  using util::lanes::select;
  // gradient . p = (h & 1 ? -u : u) + (h & 2 ? -v : v) with u = x for h < 8
  // else y, and v = y for h < 4, x for 12 and 14, else z.
  const F one(1.f), minusOne(-1.f), zero(0.f);
  const F su = select((h & 1u) != 0u, minusOne, one), sv = select((h & 2u) != 0u, minusOne, one);
  const auto vIsX = (h == 12u) | (h == 14u);
  x = select(h < 8u, su, select(vIsX, sv, zero));
  y = select(h < 8u, select(h < 4u, sv, zero), su);
  z = select((h < 4u) | vIsX, zero, sv);
}

#if !defined(__CUDA_ARCH__)
// The host's copy of the sixteen gradients, made from the same rule: h is a
// hash, so the rule's branches would be mispredicted half the time, while a
// 192-byte table stays in the first-level cache. (On the device a table
// would live in local memory, so the kernels evaluate the rule.)
struct NoiseGradientTable {
  float g[16][3];
  constexpr NoiseGradientTable() : g{} {
    for (std::uint32_t h = 0; h < 16; ++h) noiseGradientComponents(h, g[h][0], g[h][1], g[h][2]);
  }
};
inline constexpr NoiseGradientTable kNoiseGradients{};
#endif

ORB_HD inline orb::Vec noiseGradient(std::uint32_t h) {
#if defined(__CUDA_ARCH__)
  float x = 0.f, y = 0.f, z = 0.f;
  noiseGradientComponents(h, x, y, z);
  return {x, y, z};
#else
  const float* g = kNoiseGradients.g[h & 15u];
  return {g[0], g[1], g[2]};
#endif
}

#if !defined(__CUDACC__)
// The table's columns as pack constants, gradients 0-7 and 8-15.
constexpr util::lanes::raw::Floats noiseGradientColumn(int axis, int half) {
  const auto& g = kNoiseGradients.g;
  const int o = 8 * half;
  return util::lanes::raw::Floats{g[o][axis],     g[o + 1][axis], g[o + 2][axis], g[o + 3][axis],
                                  g[o + 4][axis], g[o + 5][axis], g[o + 6][axis], g[o + 7][axis]};
}
inline constexpr util::lanes::raw::Floats kNoiseGradientColumns[3][2] = {
    {noiseGradientColumn(0, 0), noiseGradientColumn(0, 1)},
    {noiseGradientColumn(1, 0), noiseGradientColumn(1, 1)},
    {noiseGradientColumn(2, 0), noiseGradientColumn(2, 1)}};

// A pack of hashes permutes the table's columns held in registers: one or
// two permutations per component from AVX2 on. Plain x86-64 has no variable
// permutation, so there the rule's masked selects are faster.
ORB_ALWAYS_INLINE util::lanes::FloatsVec noiseGradient(util::lanes::Uints h) {
  static_assert(util::lanes::kLanes == 8);
  if (gpu::vectorLevel() == gpu::VectorLevel::Baseline) {
    util::lanes::FloatsVec g;
    noiseGradientComponents(h & 15u, g.x, g.y, g.z);
    return g;
  }
  const auto index = reinterpret_cast<util::lanes::raw::Ints>(h.v & 15u);
  const auto& c = kNoiseGradientColumns;
  return {util::lanes::Floats(__builtin_shuffle(c[0][0], c[0][1], index)),
          util::lanes::Floats(__builtin_shuffle(c[1][0], c[1][1], index)),
          util::lanes::Floats(__builtin_shuffle(c[2][0], c[2][1], index))};
}
#endif

template <class R>
ORB_HD ORB_ALWAYS_INLINE R quinticFade(R t) {
  return t * t * t * (t * (t * 6.f - 15.f) + 10.f);
}
template <class R>
ORB_HD ORB_ALWAYS_INLINE R quinticFadeSlope(R t) {
  return 30.f * t * t * (t - 1.f) * (t - 1.f);
}

template <class R>
struct NoiseSampleOf {
  R value;
  util::lanes::VecOf<R> gradient;  // with respect to the noise coordinate
};
using NoiseSample = NoiseSampleOf<float>;

// Noise at q; `salt` separates octaves, components and seeds. R is float or
// a pack of floats.
template <class R>
ORB_HD ORB_ALWAYS_INLINE NoiseSampleOf<R> gradientNoise(util::lanes::VecOf<R> q, std::uint32_t salt) {
  namespace lanes = util::lanes;
  using U = lanes::UintOf<R>;
  using Vec = lanes::VecOf<R>;
  const R fx0 = lanes::floor(q.x), fy0 = lanes::floor(q.y), fz0 = lanes::floor(q.z);
  const U ix = lanes::asUint(lanes::truncateToInt(fx0));
  const U iy = lanes::asUint(lanes::truncateToInt(fy0));
  const U iz = lanes::asUint(lanes::truncateToInt(fz0));
  const R fx = q.x - fx0, fy = q.y - fy0, fz = q.z - fz0;
  const R u = quinticFade(fx), v = quinticFade(fy), w = quinticFade(fz);
  const R du = quinticFadeSlope(fx), dv = quinticFadeSlope(fy), dw = quinticFadeSlope(fz);

  // Corner values n[c] and gradients g[c], c = dx + 2 dy + 4 dz; the
  // lattice hash's per-axis products are formed once per axis.
  const U hx[2] = {ix * 73856093u, (ix + 1u) * 73856093u};
  const U hy[2] = {iy * 19349663u, (iy + 1u) * 19349663u};
  const U hz[2] = {(iz * 83492791u) ^ salt, ((iz + 1u) * 83492791u) ^ salt};
  R n[8];
  Vec g[8];
  ORB_UNROLL
  for (int c = 0; c < 8; ++c) {
    const int dx = c & 1, dy = (c >> 1) & 1, dz = (c >> 2) & 1;
    g[c] = noiseGradient(util::mix32Of(hx[dx] ^ hy[dy] ^ hz[dz]) & 15u);
    n[c] = g[c].x * (fx - static_cast<float>(dx)) + g[c].y * (fy - static_cast<float>(dy)) +
           g[c].z * (fz - static_cast<float>(dz));
  }
  // Trilinear blend of the corner values; the gradient is the blend of the
  // corner gradients plus the blend weights' slopes times the values.
  const R k0 = n[0], k1 = n[1] - n[0], k2 = n[2] - n[0], k3 = n[4] - n[0];
  const R k4 = n[3] - n[2] - n[1] + n[0], k5 = n[6] - n[4] - n[2] + n[0], k6 = n[5] - n[4] - n[1] + n[0];
  const R k7 = n[7] - n[6] - n[5] - n[3] + n[4] + n[2] + n[1] - n[0];
  NoiseSampleOf<R> s;
  s.value = k0 + k1 * u + k2 * v + k3 * w + k4 * u * v + k5 * v * w + k6 * w * u + k7 * u * v * w;
  Vec blend(orb::Vec{0, 0, 0});
  const R uvw[8] = {(1.f - u) * (1.f - v) * (1.f - w), u * (1.f - v) * (1.f - w), (1.f - u) * v * (1.f - w),
                    u * v * (1.f - w),                 (1.f - u) * (1.f - v) * w, u * (1.f - v) * w,
                    (1.f - u) * v * w,                 u * v * w};
  ORB_UNROLL
  for (int c = 0; c < 8; ++c) blend += g[c] * uvw[c];
  s.gradient = {blend.x + du * (k1 + k4 * v + k6 * w + k7 * v * w),
                blend.y + dv * (k2 + k5 * w + k4 * u + k7 * w * u),
                blend.z + dw * (k3 + k6 * u + k5 * v + k7 * u * v)};
  return s;
}

// The noise value alone, for callers that need no gradient: the same
// lattice, gradients and fade as gradientNoise, at a third of the work.
// R is float or a pack of floats.
template <class R>
ORB_HD ORB_ALWAYS_INLINE R gradientNoiseValue(util::lanes::VecOf<R> q, std::uint32_t salt) {
  namespace lanes = util::lanes;
  using U = lanes::UintOf<R>;
  const R fx0 = lanes::floor(q.x), fy0 = lanes::floor(q.y), fz0 = lanes::floor(q.z);
  const U ix = lanes::asUint(lanes::truncateToInt(fx0));
  const U iy = lanes::asUint(lanes::truncateToInt(fy0));
  const U iz = lanes::asUint(lanes::truncateToInt(fz0));
  const R f[3] = {q.x - fx0, q.y - fy0, q.z - fz0};
  const U hx[2] = {ix * 73856093u, (ix + 1u) * 73856093u};
  const U hy[2] = {iy * 19349663u, (iy + 1u) * 19349663u};
  const U hz[2] = {(iz * 83492791u) ^ salt, ((iz + 1u) * 83492791u) ^ salt};
  R n[8];
  ORB_UNROLL
  for (int c = 0; c < 8; ++c) {
    const int dx = c & 1, dy = (c >> 1) & 1, dz = (c >> 2) & 1;
    const lanes::VecOf<R> g = noiseGradient(util::mix32Of(hx[dx] ^ hy[dy] ^ hz[dz]) & 15u);
    n[c] = g.x * (f[0] - static_cast<float>(dx)) + g.y * (f[1] - static_cast<float>(dy)) +
           g.z * (f[2] - static_cast<float>(dz));
  }
  const R u = quinticFade(f[0]), v = quinticFade(f[1]), w = quinticFade(f[2]);
  const R x00 = n[0] + u * (n[1] - n[0]), x10 = n[2] + u * (n[3] - n[2]);
  const R x01 = n[4] + u * (n[5] - n[4]), x11 = n[6] + u * (n[7] - n[6]);
  const R y0 = x00 + v * (x10 - x00), y1 = x01 + v * (x11 - x01);
  return y0 + w * (y1 - y0);
}

// Adds the curl-noise potential and its curl at p, time tau, to psi and v.
template <class R>
ORB_HD ORB_ALWAYS_INLINE void addCurlNoise(const Params& P, util::lanes::VecOf<R> p, R tau, util::lanes::VecOf<R>& psi,
                                util::lanes::VecOf<R>& v) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  if (P.curlStrength == 0.f || P.curlOctaves < 1) return;
  const float f = P.curlScale / P.radius;
  const R theta = 6.283185307f * tau / fmaxf(P.loopSeconds, 0.01f);
  const float e = P.curlEvolve * 0.159155f;
  const Vec drift{e * lanes::cos(theta), e * lanes::sin(theta), R(0.f)};
  Vec np(orb::Vec{0, 0, 0}), nv(orb::Vec{0, 0, 0});
  float a = 1.f, m = 1.f, amplitudeSum = 0.f;
  const std::uint32_t seedSalt = 3u * static_cast<std::uint32_t>(P.seed);
  for (int o = 0; o < P.curlOctaves; ++o) {
    const Vec q = (p * f + drift) * m;
    const std::uint32_t salt = 101u * static_cast<std::uint32_t>(o) + seedSalt;
    const NoiseSampleOf<R> nx = gradientNoise<R>(q + Vec(orb::Vec{31.4f, 0, 0}), salt + 11u);
    const NoiseSampleOf<R> ny = gradientNoise<R>(q + Vec(orb::Vec{0, 47.2f, 0}), salt + 23u);
    const NoiseSampleOf<R> nz = gradientNoise<R>(q + Vec(orb::Vec{0, 0, 59.7f}), salt + 37u);
    np += Vec{nx.value, ny.value, nz.value} * a;
    const float k = a * m * f;
    nv += Vec{nz.gradient.y - ny.gradient.z, nx.gradient.z - nz.gradient.x, ny.gradient.x - nx.gradient.y} * k;
    amplitudeSum += a;
    a *= 0.5f;
    m *= 2.03f;
  }
  const float scale = P.curlStrength / (f * fmaxf(amplitudeSum, 1e-6f));
  psi += np * scale;
  v += nv * scale;
}

}  // namespace ink
