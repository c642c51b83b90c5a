#pragma once
// One substep of the veil cloth for one particle: springs, wind, rest hold,
// radial wave, drag, self collision, anchors and containment. It reads only
// the previous buffers (Jacobi), so every particle of a substep is
// independent; the CPU solver and the GPU kernel call this same code.
#include <cstdint>

#include "gpu/Config.h"
#include "orb/ClothGrid.h"
#include "orb/Params.h"
#include "util/Math.h"
#include "util/Vec.h"

namespace orb {

constexpr float kInnerCore = 11.f;  // nothing enters the orb's core

// Frames per loop: 30 per loop second, rounded, within [24, 1800].
ORB_HD inline int loopFrames(const Params& p) {
  const int f = static_cast<int>(30.f * p.loopSeconds + 0.5f);
  return f < 24 ? 24 : f > 1800 ? 1800 : f;
}
ORB_HD inline int clothSubsteps(const Params& p) { return p.substeps < 1 ? 1 : p.substeps > 8 ? 8 : p.substeps; }
// Drive phase of global substep g: one full turn per loop.
ORB_HD inline float drivePhase(int g, int frames, int substeps) {
  return static_cast<float>(g) * (2.f * util::kPi) / static_cast<float>(frames * substeps);
}

// The parts of the drive that depend only on the particle's veil and row.
// The third wind component, sin(2 psi + pi v + 6 a + t_k), is evaluated as
// sin(A + B) = sin A cos B + cos A sin B with A = 2 psi + 6 a + t_k from the
// row and B = pi v from the column, so no particle needs a sine of its own.
struct RowDrive {
  float along;  // a = r / L
  float phase;  // t_k, the veil phase
  float windX, windY;
  float windSinA, windCosA;
  float wave;   // sin(2 pi cycles a - speed psi + t_k)
};

// The parts that depend only on the particle's column.
struct ColumnDrive {
  float envelope;  // the radial wave's envelope across the band
  float sinB, cosB;
};

ORB_HD inline RowDrive rowDrive(const ClothGrid& g, const Params& p, float psi, int veil, int row) {
  RowDrive d;
  d.along = static_cast<float>(row) / static_cast<float>(g.along);
  d.phase = veilPhase(p.seed, veil);
  d.windX = sinf(4.f * util::kPi * d.along + psi + d.phase);
  d.windY = 0.46f * cosf(2.f * util::kPi * d.along - psi + d.phase);
  d.wave = sinf(2.f * util::kPi * p.waveCycles * d.along - p.waveSpeed * psi + d.phase);
  const float windA = 2.f * psi + 6.f * d.along + d.phase;
  d.windSinA = sinf(windA);
  d.windCosA = cosf(windA);
  return d;
}

ORB_HD inline ColumnDrive columnDrive(const ClothGrid& g, const Params& p, int column) {
  const float v = 2.f * static_cast<float>(column) / static_cast<float>(g.across) - 1.f;
  const float spread = p.waveSpread > 0.05f ? p.waveSpread : 0.05f;
  const float x = v / spread;
  return {expf(-(x * x)), sinf(util::kPi * v), cosf(util::kPi * v)};
}

struct ClothBuffers {
  const Vec* rest;
  const Vec* pos;
  const Vec* vel;
  Vec* newPos;
  Vec* newVel;
};

// The substep of particle p, with its row's and column's drive; decay is
// exp(-3 dt).
ORB_HD inline void clothStep(std::int32_t p, const ClothBuffers& b, const ClothGrid& g, const Params& prm, float dt,
                             float decay, const RowDrive& drive, const ColumnDrive& column) {
  const std::int32_t veilSize = g.veilSize(), rowSize = g.rowSize();
  const std::int32_t k = p / veilSize, local = p - k * veilSize;
  const std::int32_t r = local / rowSize, c = local - r * rowSize;
  const Vec R = b.rest[p], X = b.pos[p], V = b.vel[p];
  const float rhoMax = 50.f * (1.f - prm.clearance);

  // Anchors hold their rest position inside the wall.
  const bool pinTop = (prm.anchor == 1 || prm.anchor == 2) && c == g.across;
  const bool pinEnds = (prm.anchor == 0 || prm.anchor == 2) && (r == 0 || r == g.along);
  if (pinTop || pinEnds) {
    const float len = length(R);
    b.newPos[p] = len > rhoMax ? R * (rhoMax / len) : R;
    b.newVel[p] = {0.f, 0.f, 0.f};
    return;
  }

  // Springs in their fixed order: four structural, four shear, four bend.
  Vec f{0.f, 0.f, -prm.gravity};
  constexpr int kSprings = 12;
  constexpr int dr[kSprings] = {-1, 1, 0, 0, -1, -1, 1, 1, -2, 2, 0, 0};
  constexpr int dc[kSprings] = {0, 0, -1, 1, -1, 1, -1, 1, 0, 0, -2, 2};
  const float weights[3] = {prm.stiffness, 0.5625f * prm.stiffness, prm.bendStiffness};
  const bool springInterior = r >= 2 && r <= g.along - 2 && c >= 2 && c <= g.across - 2;
  for (int s = 0; s < kSprings; ++s) {
    if (!springInterior) {
      const int rr = r + dr[s], cc = c + dc[s];
      if (rr < 0 || rr > g.along || cc < 0 || cc > g.across) continue;
    }
    const std::int32_t q = p + dr[s] * rowSize + dc[s];
    f += weights[s / 4] * ((b.pos[q] - X) - prm.slack * (b.rest[q] - R)) + prm.damping * (b.vel[q] - V);
  }

  const float windScale = prm.wind * prm.motion;
  const Vec fw{windScale * drive.windX, windScale * drive.windY,
               windScale * (drive.windSinA * column.cosB + drive.windCosA * column.sinB)};
  const Vec fr = (prm.stiffness * prm.restHold) * (R - X);
  const float lenX = length(X);
  const Vec fs = X * (1.f / (lenX > 1e-12f ? lenX : 1e-12f)) * (drive.wave * prm.waveAmplitude * column.envelope * prm.motion);

  Vec vn = (V + dt * (f + fw + fr + fs)) * decay;
  Vec xn = X + dt * vn;

  if (prm.selfCollision) {
    // The ring of particles at distance 3, row by row; nearer ones are held
    // apart by the springs.
    constexpr int kRing = 24;
    constexpr int ringR[kRing] = {-3, -3, -3, -3, -3, -3, -3, -2, -2, -1, -1, 0, 0, 1, 1, 2, 2, 3, 3, 3, 3, 3, 3, 3};
    constexpr int ringC[kRing] = {-3, -2, -1, 0, 1, 2, 3, -3, 3, -3, 3, -3, 3, -3, 3, -3, 3, -3, -2, -1, 0, 1, 2, 3};
    const float delta = prm.selfCollisionDistance;
    const float delta2 = delta * delta;
    const bool ringInterior = r >= 3 && r <= g.along - 3 && c >= 3 && c <= g.across - 3;
    for (int s = 0; s < kRing; ++s) {
      if (!ringInterior) {
        const int rr = r + ringR[s], cc = c + ringC[s];
        if (rr < 0 || rr > g.along || cc < 0 || cc > g.across) continue;
      }
      const Vec d = xn - b.pos[p + ringR[s] * rowSize + ringC[s]];
      const float d2 = dot(d, d);
      if (d2 > 1e-8f && d2 < delta2) {
        const float dl = sqrtf(d2);
        xn += d * (0.5f * (delta - dl) / dl);
      }
    }
  }

  const float rho = length(xn);
  const Vec n = xn * (1.f / (rho > 1e-12f ? rho : 1e-12f));
  if (rho > rhoMax)
    xn = n * rhoMax;
  else if (rho < kInnerCore)
    xn = n * kInnerCore;
  if (rho < kInnerCore) vn -= n * dot(vn, n);
  if (rho > rhoMax) vn -= n * dot(vn, n);
  b.newPos[p] = xn;
  b.newVel[p] = vn;
}

}  // namespace orb
