#pragma once
// Where a particle starts and which part of the loop it is in: seeding is a
// pure function of the parameters and the particle's index, so any particle
// can be (re)seeded at any time without stored state.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/sim/AreaPick.h"
#include "ink/sim/ContainerField.h"
#include "ink/sim/InkHash.h"
#include "ink/sim/InkRecords.h"
#include "util/LaneMath.h"
#include "util/LaneVec.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace ink {

using util::kTwoPi;

// Salts of the individual draws.
namespace salt {
constexpr std::uint32_t kSource = 0xBAAA2801u, kSheetIndex = 0x56EEC8F6u, kSheetRadius = 0x1C8860F8u;
constexpr std::uint32_t kSheetAngle = 0x2F6B3C1Du, kNormalU = 0x7A1D93E5u, kNormalV = 0x4C0B8F27u;
constexpr std::uint32_t kBlobIndex = 0x3E95A6D1u, kGaussU[3] = {0x61C88647u, 0x0F4A7C15u, 0x5851F42Du};
constexpr std::uint32_t kGaussV[3] = {0x14057B7Eu, 0x2545F491u, 0x6C8E9CF5u};
constexpr std::uint32_t kShellDirZ = 0x1B873593u, kShellDirPhi = 0x3C6EF372u, kShellDepth = 0x27D4EB2Fu;
constexpr std::uint32_t kVolumeZ = 0x165667B1u, kVolumePhi = 0x68E31DA4u, kVolumeR = 0x7F4A7C15u;
constexpr std::uint32_t kMeshPick = 0x2C1B3C6Du, kMeshA = 0x297A2D39u, kMeshB = 0x0A3D70A3u;
// Per sheet / per blob draws.
constexpr std::uint32_t kCentreZ = 0x52DCE729u, kCentrePhi = 0x6B43A9B5u, kCentreR = 0x3A8F05C5u;
constexpr std::uint32_t kSize = 0x1D8E4E27u;
}  // namespace salt

// Where particle population and cycle stand at one time (R: float, or a
// pack of floats for one particle per lane).
template <class R>
struct CycleTimeOf {
  R local;  // seconds since the particle's cycle start
  R start;  // the cycle start in the field's time
  R fade;   // loop cross-fade weight
};
using CycleTime = CycleTimeOf<float>;

// The loop's two half-populations: particles with an odd index hash run half
// a period behind, so their cross-fades add to a constant weight.
template <class R>
ORB_HD ORB_ALWAYS_INLINE CycleTimeOf<R> cycleTime(const Params& P, util::lanes::UintOf<R> h, float t) {
  namespace lanes = util::lanes;
  if (!P.loop) return {R(fmaxf(t - P.startTime, 0.f)), R(P.startTime), R(1.f)};
  const float L = fmaxf(P.loopSeconds, 0.1f);
  const R shift = lanes::select((h & 1u) != 0u, R(0.5f * L), R(0.f));
  const R u = t + shift;
  const R local = u - L * lanes::floor(u / L);
  const R s = lanes::sin(util::kPi * local / L);
  // The cycle start, L floor(u / L) - shift, enters the field only through
  // functions of period L, so it is taken in the first cycle: one loop later
  // every particle retraces the same path exactly.
  const R start = fmaxf(P.loopSeconds, 0.01f) == L ? -shift : L * lanes::floor(u / L) - shift;
  return {local, start, s * s};
}
ORB_HD inline CycleTime cycleTime(const Params& P, std::uint32_t h, float t) { return cycleTime<float>(P, h, t); }

// Seed base of the particle's population.
ORB_HD inline std::uint32_t seedBase(const Params& P, std::uint32_t h) {
  const std::uint32_t half = (P.loop && (h & 1u)) ? 104729u : 0u;
  return (static_cast<std::uint32_t>(P.seed) * 7919u + half) * kSeedMultiplier;
}

// The draws below take R = float, or a pack of floats for one draw per lane.
template <class R>
ORB_HD ORB_ALWAYS_INLINE util::lanes::VecOf<R> unitDirection(R uz, R uphi) {
  namespace lanes = util::lanes;
  const R z = 2.f * uz - 1.f, phi = kTwoPi * uphi;
  const R r = lanes::sqrt(lanes::max(1.f - z * z, R(0.f)));
  return {r * lanes::cos(phi), r * lanes::sin(phi), z};
}

ORB_HD inline orb::Vec unitBallPoint(float uz, float uphi, float ur) { return unitDirection(uz, uphi) * cbrtf(ur); }

template <class R>
ORB_HD ORB_ALWAYS_INLINE R standardNormal(R u, R v) {
  namespace lanes = util::lanes;
  return lanes::sqrt(-2.f * lanes::log(lanes::max(u, R(1e-7f)))) * lanes::cos(kTwoPi * v);
}

template <class Vec>
ORB_HD ORB_ALWAYS_INLINE Vec pullInside(const Vec& p, float limit) {
  const auto len = length(p);
  return util::lanes::select(len > limit, p * (limit / len), p);
}

struct Seed {
  orb::Vec position;
  float weight;  // source weight
};

// One seeding attempt of the particle with key `key` in population `base`.
ORB_HD inline Seed seedAttempt(const Params& P, const Tri* tris, const float* areas, std::uint32_t base,
                               std::uint32_t key) {
  const DrawSet d{base, key};
  const float R = P.radius;
  const int triangles = P.triangleCount > 0 ? P.triangleCount : 0;
  const float mesh = triangles > 0 ? P.meshAmount : 0.f;
  const float total = fmaxf(P.sheetAmount + P.shellAmount + P.volumeAmount + P.blobAmount + mesh, 1e-6f);
  const float x = d(salt::kSource) * total;

  if (x < P.sheetAmount && P.sheetCount >= 1) {
    const int count = P.sheetCount;
    const int j = static_cast<int>(floorf(d(salt::kSheetIndex) * static_cast<float>(count))) % count;
    const DrawSet sheet{base + kSheetBaseOffset, static_cast<std::uint32_t>(j) * kGolden};
    const orb::Vec centre =
        unitBallPoint(sheet(salt::kCentreZ), sheet(salt::kCentrePhi), sheet(salt::kCentreR)) * (0.45f * R);
    const orb::Vec n = unitDirection(sheet(salt::kNormalU), sheet(salt::kNormalV));
    const orb::Vec aux = fabsf(n.z) < 0.9f ? orb::Vec{0, 0, 1} : orb::Vec{1, 0, 0};
    const orb::Vec t1 = normalizedOr(cross(n, aux), {1, 0, 0});
    const orb::Vec t2 = cross(n, t1);
    const float half = R * P.sheetSize * (0.6f + 0.4f * sheet(salt::kSize));
    const float rho = sqrtf(d(salt::kSheetRadius)), th = kTwoPi * d(salt::kSheetAngle);
    const float a = rho * cosf(th), b = rho * sinf(th);
    const float fj = static_cast<float>(j);
    const float warp = sinf(2.1f * a + fj) + 0.6f * sinf(1.7f * b - 0.7f * fj);
    const float offset = R * P.sheetThickness * standardNormal(d(salt::kGaussU[0]), d(salt::kGaussV[0])) +
                         0.25f * R * P.sheetWarp * warp;
    const orb::Vec p = centre + t1 * (half * a) + t2 * (half * b) + n * offset;
    const float rho2 = rho * rho;
    return {pullInside(p, 0.96f * R), 1.f - rho2 * rho2};
  }
  if (x < P.sheetAmount + P.shellAmount) {
    const orb::Vec dir = unitDirection(d(salt::kShellDirZ), d(salt::kShellDirPhi));
    return {dir * (R * (0.955f + 0.03f * d(salt::kShellDepth))), 1.f};
  }
  if (x < P.sheetAmount + P.shellAmount + P.volumeAmount) {
    return {unitBallPoint(d(salt::kVolumeZ), d(salt::kVolumePhi), d(salt::kVolumeR)) * (0.95f * R), 1.f};
  }
  if (x < P.sheetAmount + P.shellAmount + P.volumeAmount + P.blobAmount || triangles == 0) {
    const int count = P.blobCount >= 1 ? P.blobCount : 1;
    const int j = static_cast<int>(floorf(d(salt::kBlobIndex) * static_cast<float>(count))) % count;
    const DrawSet blob{base + kBlobBaseOffset, static_cast<std::uint32_t>(j) * kGolden};
    const orb::Vec centre =
        unitBallPoint(blob(salt::kCentreZ), blob(salt::kCentrePhi), blob(salt::kCentreR)) * (0.55f * R);
    const float size = R * P.blobSize * (0.6f + 0.8f * blob(salt::kSize));
    const orb::Vec g{standardNormal(d(salt::kGaussU[0]), d(salt::kGaussV[0])),
                     standardNormal(d(salt::kGaussU[1]), d(salt::kGaussV[1])),
                     standardNormal(d(salt::kGaussU[2]), d(salt::kGaussV[2]))};
    return {pullInside(centre + g * size, 0.95f * R), 1.f};
  }
  const Tri& tri = tris[triangles == 1 ? 0 : pickTriangle(areas, triangles, d(salt::kMeshPick))];
  float alpha = d(salt::kMeshA), beta = d(salt::kMeshB);
  if (alpha + beta > 1.f) {
    alpha = 1.f - alpha;
    beta = 1.f - beta;
  }
  const orb::Vec p = tri.v0 + (tri.v1 - tri.v0) * alpha + (tri.v2 - tri.v0) * beta;
  return {pullInside(p, 0.96f * R), 1.f};
}

// The seed of particle h: the first attempt inside the container, retried
// with fresh keys seven times, else the last attempt pushed inside.
ORB_HD inline Seed seedParticle(const Params& P, const Tri* tris, const float* areas, std::uint32_t h) {
  const std::uint32_t base = seedBase(P, h);
  Seed s = seedAttempt(P, tris, areas, base, h * kGolden);
  if (!hasGrid(P)) return s;
  const float cell = P.gridCell;
  for (std::uint32_t attempt = 1;; ++attempt) {
    if (containerDistance(P, s.position) <= -cell) return s;
    if (attempt > 7) break;
    s = seedAttempt(P, tris, areas, base, ((attempt * kRetryMultiplier) ^ h) * kGolden);
  }
  for (int i = 0; i < 4; ++i) {
    const float dist = containerDistance(P, s.position);
    s.position -= sdfGrad(P, s.position) * (dist + cell);
  }
  return s;
}

// The first-try seed, without container rejection: the particle's rest position.
ORB_HD inline orb::Vec restPosition(const Params& P, const Tri* tris, const float* areas, std::uint32_t h) {
  return seedAttempt(P, tris, areas, seedBase(P, h), h * kGolden).position;
}

}  // namespace ink
