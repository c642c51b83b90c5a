#pragma once
// One substep of the veil cloth for one particle: springs, wind, rest hold,
// radial wave, drag, self collision, anchors and containment. It reads only
// the previous buffers (Jacobi), so every particle of a substep is
// independent; the CPU solver and the GPU kernel call this same code.
#include <cstdint>

#include "gpu/Config.h"
#include "gpu/LaneLaunch.h"
#include "orb/ClothGrid.h"
#include "orb/Params.h"
#include "util/LaneMath.h"
#include "util/LaneVec.h"
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

// The parts that depend only on the particle's column (R: float, or a pack
// for one column per lane).
template <class R>
struct ColumnDriveOf {
  R envelope;  // the radial wave's envelope across the band
  R sinB, cosB;
};
using ColumnDrive = ColumnDriveOf<float>;

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

// The neighbours at one offset of the lanes' particles: the lanes whose
// neighbour is on the row, its index per lane (the particle itself where it
// is not), and whether the lanes' neighbours are the run from `first`.
template <class R>
struct ClothNeighbours {
  util::lanes::MaskOf<R> inside;
  util::lanes::IntOf<R> q;
  std::int32_t first;
  bool run;

  ORB_HD ORB_ALWAYS_INLINE util::lanes::VecOf<R> read(const util::Vec* a) const {
    return run ? util::lanes::vecsRun<R>(a, first) : util::lanes::vecsAt(a, q);
  }
};

// The lanes' particles p0 + l, columns c0 + l of one row (lanes past count
// repeat the last), and their neighbours at (dr, dc) rows and columns. Packs
// read runs of particles where the run lies in the buffers (lanes past count
// read the particles after the last, and are never written); lanes whose
// neighbour is past the row's edge read one by one.
template <class R>
struct ClothLanes {
  using I = util::lanes::IntOf<R>;
  std::int32_t p0, c0;
  int count;
  I p, c;
  std::int32_t rowSize, across, runEnd;

  ORB_HD ORB_ALWAYS_INLINE ClothLanes(const ClothGrid& g, std::int32_t p0_, std::int32_t c0_, int count_)
      : p0(p0_), c0(c0_), count(count_), rowSize(g.rowSize()), across(g.across),
        runEnd(g.particles() - util::lanes::lanesOf<R>()) {
    const I offset = util::lanes::laneOffsets<I>(count);
    p = p0 + offset;
    c = c0 + offset;
  }

  ORB_HD ORB_ALWAYS_INLINE ClothNeighbours<R> at(int dr, int dc) const {
    const util::lanes::MaskOf<R> inside = (c + dc >= I(0)) & (c + dc <= I(across));
    const std::int32_t first = p0 + dr * rowSize + dc;
    const bool run = first >= 0 && first <= runEnd && c0 + dc >= 0 && c0 + count - 1 + dc <= across;
    return {inside, util::lanes::select(inside, p + (dr * rowSize + dc), p), first, run};
  }
};

// The substep of the particles p0 + l of one row, columns c0 + l, for the
// lanes l of R (one particle for R = float), with its row's and its
// columns' drive; decay is exp(-3 dt). Lanes are masked where they differ:
// anchors, springs and ring neighbours past the cloth's edge (whose reads
// fall back to the particle itself).
template <class R>
ORB_HD ORB_ALWAYS_INLINE void clothStepLanes(std::int32_t p0, std::int32_t c0, int count, const ClothBuffers& b,
                                             const ClothGrid& g, const Params& prm, float dt, float decay,
                                             const RowDrive& drive, const ColumnDriveOf<R>& column) {
  namespace lanes = util::lanes;
  using Vec = lanes::VecOf<R>;
  const std::int32_t veilSize = g.veilSize();
  const std::int32_t k = p0 / veilSize, local = p0 - k * veilSize;
  const std::int32_t r = local / g.rowSize();
  const ClothLanes<R> cloth(g, p0, c0, count);
  const ClothNeighbours<R> self = cloth.at(0, 0);
  const Vec Rs = self.read(b.rest), X = self.read(b.pos), V = self.read(b.vel);
  const float rhoMax = 50.f * (1.f - prm.clearance);

  // Anchors hold their rest position inside the wall.
  const bool pinRow = (prm.anchor == 0 || prm.anchor == 2) && (r == 0 || r == g.along);
  const bool pinColumn = prm.anchor == 1 || prm.anchor == 2;
  const auto pinned = lanes::MaskOf<R>(pinRow) | (lanes::MaskOf<R>(pinColumn) & (cloth.c == g.across));
  const R restLen = length(Rs);
  const Vec pinnedPos = lanes::select(restLen > rhoMax, Rs * (rhoMax / restLen), Rs);

  // Springs in their fixed order: four structural, four shear, four bend.
  Vec f(Vec(util::Vec{0.f, 0.f, -prm.gravity}));
  constexpr int kSprings = 12;
  constexpr int dr[kSprings] = {-1, 1, 0, 0, -1, -1, 1, 1, -2, 2, 0, 0};
  constexpr int dc[kSprings] = {0, 0, -1, 1, -1, 1, -1, 1, 0, 0, -2, 2};
  const float weights[3] = {prm.stiffness, 0.5625f * prm.stiffness, prm.bendStiffness};
  ORB_UNROLL
  for (int s = 0; s < kSprings; ++s) {
    const int rr = r + dr[s];
    if (rr < 0 || rr > g.along) continue;
    const ClothNeighbours<R> n = cloth.at(dr[s], dc[s]);
    f = lanes::select(n.inside,
                      f + (weights[s / 4] * ((n.read(b.pos) - X) - prm.slack * (n.read(b.rest) - Rs)) +
                           prm.damping * (n.read(b.vel) - V)),
                      f);
  }

  const float windScale = prm.wind * prm.motion;
  const Vec fw{R(windScale * drive.windX), R(windScale * drive.windY),
               windScale * (drive.windSinA * column.cosB + drive.windCosA * column.sinB)};
  const Vec fr = (prm.stiffness * prm.restHold) * (Rs - X);
  const R lenX = length(X);
  const Vec fs = X * (1.f / lanes::select(lenX > 1e-12f, lenX, R(1e-12f))) *
                 (drive.wave * prm.waveAmplitude * column.envelope * prm.motion);

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
    ORB_UNROLL
    for (int s = 0; s < kRing; ++s) {
      const int rr = r + ringR[s];
      if (rr < 0 || rr > g.along) continue;
      const ClothNeighbours<R> n = cloth.at(ringR[s], ringC[s]);
      const Vec d = xn - n.read(b.pos);
      const R d2 = dot(d, d);
      const auto near = n.inside & (d2 > 1e-8f) & (d2 < delta2);
      if (lanes::any(near)) {
        const R dl = lanes::sqrt(d2);
        xn = lanes::select(near, xn + d * (0.5f * (delta - dl) / dl), xn);
      }
    }
  }

  const R rho = length(xn);
  const Vec n = xn * (1.f / lanes::select(rho > 1e-12f, rho, R(1e-12f)));
  const auto outer = rho > rhoMax, inner = rho < kInnerCore;
  xn = lanes::select(outer, n * rhoMax, lanes::select(inner, n * kInnerCore, xn));
  vn = lanes::select(inner, vn - n * dot(vn, n), vn);
  vn = lanes::select(outer, vn - n * dot(vn, n), vn);
  lanes::putVecs(b.newPos, cloth.p, lanes::select(pinned, pinnedPos, xn), count);
  lanes::putVecs(b.newVel, cloth.p, lanes::select(pinned, Vec(util::Vec{0.f, 0.f, 0.f}), vn), count);
}

#if !defined(__CUDACC__)
// Packs of columns read runs through register permutations, which plain
// x86-64 lacks: there one particle at a time is faster.
inline bool clothStepsInPacks() { return gpu::vectorLevel() != gpu::VectorLevel::Baseline; }

// The drives of columns c0 .. c0 + n - 1 as a pack (lanes past n repeat the last).
ORB_ALWAYS_INLINE ColumnDriveOf<util::lanes::Floats> columnDrives(const ColumnDrive* columns, int c0, int n) {
  ColumnDriveOf<util::lanes::Floats> pack;
  for (int l = 0; l < util::lanes::kLanes; ++l) {
    const ColumnDrive& d = columns[c0 + (l < n ? l : n - 1)];
    pack.envelope.v[l] = d.envelope;
    pack.sinB.v[l] = d.sinB;
    pack.cosB.v[l] = d.cosB;
  }
  return pack;
}
#endif

// One particle's substep: the device's thread and the edge of a row.
ORB_HD inline void clothStep(std::int32_t p, const ClothBuffers& b, const ClothGrid& g, const Params& prm, float dt,
                             float decay, const RowDrive& drive, const ColumnDrive& column) {
  const std::int32_t local = p % g.veilSize();
  clothStepLanes<float>(p, local % g.rowSize(), 1, b, g, prm, dt, decay, drive, column);
}

}  // namespace orb
