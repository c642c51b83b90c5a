// The veil cloth solver: the step's edge cases, the bake schedule and loop
// blend, independence from the thread count, and a frame-by-frame
// comparison with an independent double-precision rendering of the step and
// schedule written here from the solver's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gpu/Device.h"
#include "orb/ClothSolver.h"
#include "orb/ClothStep.h"
#include "orb/OrbObject.h"
#include "orb/VeilRest.h"
#include "util/Math.h"
#include "plugin/ClassDescriptors.h"

using namespace orb;

namespace {

// ---- the independent reference, in double precision ----
struct D3 {
  double x = 0, y = 0, z = 0;
};
D3 operator+(D3 a, D3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3 operator-(D3 a, D3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3 operator*(D3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dotD(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lenD(D3 a) { return std::sqrt(dotD(a, a)); }

std::vector<D3> referenceRecording(const Params& p, const ClothGrid& g, const std::vector<Vec>& restF) {
  const double pi = 3.14159265358979323846;
  const int L = g.along, W = g.across, F = loopFrames(p), S = clothSubsteps(p);
  const int P = g.particles();
  std::vector<D3> R(P), X(P), V(P), Xn(P), Vn(P), rec;
  for (int i = 0; i < P; ++i) R[i] = X[i] = {restF[i].x, restF[i].y, restF[i].z};
  const double dt = 1.0 / (30.0 * S), rhoMax = 50.0 * (1.0 - p.clearance);
  auto idx = [&](int k, int r, int c) { return k * (L + 1) * (W + 1) + r * (W + 1) + c; };
  for (int i = 0; i < 4 * F; ++i) {
    for (int j = 0; j < S; ++j) {
      const double psi = 2.0 * pi * (i * S + j) / (double(F) * S);
      for (int k = 0; k < g.veils; ++k)
        for (int r = 0; r <= L; ++r)
          for (int c = 0; c <= W; ++c) {
            const int q = idx(k, r, c);
            const double a = double(r) / L, v = 2.0 * c / W - 1.0, tk = (p.seed % 10007) * 0.01371 + 2.173 * k;
            const bool pinned = ((p.anchor == 1 || p.anchor == 2) && c == W) ||
                                ((p.anchor == 0 || p.anchor == 2) && (r == 0 || r == L));
            if (pinned) {
              const double l = lenD(R[q]);
              Xn[q] = l > rhoMax ? R[q] * (rhoMax / l) : R[q];
              Vn[q] = {};
              continue;
            }
            D3 f{0, 0, -double(p.gravity)};
            const int spring[12][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {-1, -1}, {-1, 1},
                                       {1, -1}, {1, 1},  {-2, 0}, {2, 0}, {0, -2}, {0, 2}};
            for (int s = 0; s < 12; ++s) {
              const int rr = r + spring[s][0], cc = c + spring[s][1];
              if (rr < 0 || rr > L || cc < 0 || cc > W) continue;
              const double w = s < 4 ? p.stiffness : s < 8 ? 0.5625 * p.stiffness : p.bendStiffness;
              const int n = idx(k, rr, cc);
              f = f + ((X[n] - X[q]) - (R[n] - R[q]) * p.slack) * w + (V[n] - V[q]) * p.damping;
            }
            const double wm = double(p.wind) * p.motion;
            const D3 fw{wm * std::sin(4 * pi * a + psi + tk), wm * 0.46 * std::cos(2 * pi * a - psi + tk),
                        wm * std::sin(2 * psi + pi * v + 6 * a + tk)};
            const D3 fr = (R[q] - X[q]) * (double(p.stiffness) * p.restHold);
            const double eta = std::exp(-std::pow(v / std::max(0.05, double(p.waveSpread)), 2));
            const D3 fs = X[q] * (1.0 / std::max(lenD(X[q]), 1e-12)) *
                          (std::sin(2 * pi * p.waveCycles * a - p.waveSpeed * psi + tk) * p.waveAmplitude * eta * p.motion);
            D3 vn = (V[q] + (f + fw + fr + fs) * dt) * std::exp(-3 * dt);
            D3 xn = X[q] + vn * dt;
            if (p.selfCollision) {
              const double d2max = double(p.selfCollisionDistance) * p.selfCollisionDistance;
              for (int rr = r - 3; rr <= r + 3; ++rr)
                for (int cc = c - 3; cc <= c + 3; ++cc) {
                  if (std::max(std::abs(rr - r), std::abs(cc - c)) != 3) continue;
                  if (rr < 0 || rr > L || cc < 0 || cc > W) continue;
                  const D3 d = xn - X[idx(k, rr, cc)];
                  const double d2 = dotD(d, d);
                  if (d2 > 1e-8 && d2 < d2max) xn = xn + d * (0.5 * (p.selfCollisionDistance - std::sqrt(d2)) / std::sqrt(d2));
                }
            }
            const double rho = lenD(xn);
            const D3 n = xn * (1.0 / std::max(rho, 1e-12));
            if (rho > rhoMax) xn = n * rhoMax;
            else if (rho < 11) xn = n * 11.0;
            if (rho < 11) vn = vn - n * dotD(vn, n);
            if (rho > rhoMax) vn = vn - n * dotD(vn, n);
            Xn[q] = xn;
            Vn[q] = vn;
          }
      std::swap(X, Xn);
      std::swap(V, Vn);
    }
    if (i >= 2 * F) rec.insert(rec.end(), X.begin(), X.end());
  }
  return rec;
}

Params smallParams() {
  Params p = defaultParams();
  p.simLength = 16;
  p.simWidth = 8;
  p.veilCount = 2;
  p.loopSeconds = 0.8f;  // F = 24
  p.substeps = 2;
  return p;
}

}  // namespace

TEST(ClothScheduleTest, FramesAndSubstepsAreClamped) {
  Params p = defaultParams();
  EXPECT_EQ(loopFrames(p), 270);
  p.loopSeconds = 0.5f;
  EXPECT_EQ(loopFrames(p), 24);
  p.loopSeconds = 60.f;
  EXPECT_EQ(loopFrames(p), 1800);
  p.loopSeconds = 120.f;
  EXPECT_EQ(loopFrames(p), 1800);
  p.loopSeconds = 1.01f;
  EXPECT_EQ(loopFrames(p), 30);
  p.substeps = 0;
  EXPECT_EQ(clothSubsteps(p), 1);
  p.substeps = 20;
  EXPECT_EQ(clothSubsteps(p), 8);
  EXPECT_FLOAT_EQ(drivePhase(270 * 4, 270, 4), util::kTwoPi);
}

TEST(ClothSolverTest, MatchesTheDoublePrecisionReferenceFrameByFrame) {
  for (int anchor : {0, 1, 2}) {
    Params p = smallParams();
    p.anchor = anchor;
    const ClothGrid g = clothGridFor(p);
    const std::vector<Vec> rest = restShape(p, g);
    const std::vector<Vec> ours = recordClothCpu(p, g, rest, 1);
    const std::vector<D3> ref = referenceRecording(p, g, rest);
    ASSERT_EQ(ours.size(), ref.size());
    // Coordinates reach 47.5, where one float32 step is 3.8e-6. Over the 192
    // damped substeps the two paths drift apart by about 2e-5 (five such
    // steps); 1e-4 leaves room for other compilers' rounding, while any change
    // of a rule (a spring, a sign, the order of containment) moves particles
    // by far more.
    double worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
      worst = std::max({worst, std::fabs(ours[i].x - ref[i].x), std::fabs(ours[i].y - ref[i].y),
                        std::fabs(ours[i].z - ref[i].z)});
    EXPECT_LT(worst, 1e-4) << "anchor " << anchor;
  }
}

TEST(ClothSolverTest, ResultDoesNotDependOnTheThreadCount) {
  Params p = defaultParams();
  p.loopSeconds = 0.5f;
  p.substeps = 1;
  const ClothGrid g = clothGridFor(p);
  const std::vector<Vec> rest = restShape(p, g);
  const std::vector<Vec> one = recordClothCpu(p, g, rest, 1);
  for (int threads : {2, 3}) {
    const std::vector<Vec> many = recordClothCpu(p, g, rest, threads);
    ASSERT_EQ(many.size(), one.size());
    EXPECT_EQ(std::memcmp(many.data(), one.data(), one.size() * sizeof(Vec)), 0) << threads;
  }
}

TEST(ClothSolverTest, WithoutDrivesTheVeilStaysAtRest) {
  Params p = smallParams();
  p.motion = 0;
  p.gravity = 0;
  p.slack = 1;
  p.selfCollision = 0;
  const ClothGrid g = clothGridFor(p);
  const std::vector<Vec> rest = restShape(p, g);
  const std::vector<Vec> rec = recordClothCpu(p, g, rest);
  for (std::size_t i = 0; i < rec.size(); ++i) {
    const Vec& r = rest[i % rest.size()];
    EXPECT_EQ(rec[i].x, r.x);
    EXPECT_EQ(rec[i].y, r.y);
    EXPECT_EQ(rec[i].z, r.z);
  }
}

TEST(ClothSolverTest, AnchorsHoldTheirRows) {
  for (int anchor : {0, 1, 2}) {
    Params p = smallParams();
    p.anchor = anchor;
    const ClothGrid g = clothGridFor(p);
    const std::vector<Vec> rest = restShape(p, g);
    const std::vector<Vec> rec = recordClothCpu(p, g, rest);
    for (int f = 0; f < 2 * loopFrames(p); f += 7)
      for (int k = 0; k < g.veils; ++k)
        for (int r = 0; r <= g.along; ++r)
          for (int c = 0; c <= g.across; ++c) {
            const bool pinned = ((anchor == 1 || anchor == 2) && c == g.across) ||
                                ((anchor == 0 || anchor == 2) && (r == 0 || r == g.along));
            if (!pinned) continue;
            const Vec got = rec[static_cast<std::size_t>(f) * g.particles() + g.index(k, r, c)];
            const Vec want = rest[g.index(k, r, c)];
            EXPECT_EQ(got.x, want.x);
            EXPECT_EQ(got.z, want.z);
          }
  }
}

TEST(ClothStepTest, AParticleOutsideTheWallEndsOnItWithoutRadialVelocity) {
  Params p = smallParams();
  p.selfCollision = 0;
  const ClothGrid g = clothGridFor(p);
  std::vector<Vec> rest = restShape(p, g), pos = rest, vel(rest.size(), Vec{0, 0, 0}), np(rest.size()), nv(rest.size());
  const int q = g.index(0, 8, 4);
  pos[q] = {70.f, 0.f, 0.f};
  vel[q] = {30.f, 5.f, 0.f};
  const float dt = 1.f / 60.f;
  const ClothBuffers b{rest.data(), pos.data(), vel.data(), np.data(), nv.data()};
  clothStep(q, b, g, p, dt, expf(-3.f * dt), rowDrive(g, p, 0.3f, 0, 8), columnDrive(g, p, 4));
  const float rhoMax = 50.f * (1.f - p.clearance);
  EXPECT_NEAR(length(np[q]), rhoMax, 1e-4f);
  EXPECT_NEAR(dot(nv[q], np[q] * (1.f / length(np[q]))), 0.f, 1e-4f);
  EXPECT_GT(std::fabs(nv[q].y), 0.f);  // the tangential part stays

  pos[q] = {2.f, 0.f, 0.f};  // inside the core
  vel[q] = {-5.f, 0.f, 0.f};
  clothStep(q, b, g, p, dt, expf(-3.f * dt), rowDrive(g, p, 0.3f, 0, 8), columnDrive(g, p, 4));
  EXPECT_NEAR(length(np[q]), kInnerCore, 1e-4f);
  EXPECT_NEAR(dot(nv[q], np[q] * (1.f / length(np[q]))), 0.f, 1e-4f);
}

TEST(ClothLoopTest, BlendLeadsTheLastFrameIntoTheFirst) {
  const int F = 4, P = 2;
  std::vector<Vec> rec;
  for (int f = 0; f < 2 * F; ++f)
    for (int q = 0; q < P; ++q) rec.push_back({static_cast<float>(f), static_cast<float>(q), 0.f});
  const std::vector<Vec> out = blendLoop(rec, F, P);
  ASSERT_EQ(out.size(), static_cast<std::size_t>(F * P));
  EXPECT_EQ(out[0].x, rec[F * P].x);  // frame 0 is the second loop's frame 0
  // frame F - 1 = rec[2F - 1] / F + rec[F - 1] (F - 1) / F: 1/F away from the first loop's last frame
  EXPECT_FLOAT_EQ(out[(F - 1) * P].x, (2 * F - 1) * 0.25f + (F - 1) * 0.75f);
  EXPECT_FLOAT_EQ(out[2 * P + 1].y, 1.f);
}

TEST(ClothBakeTest, TheOrbBakesOnceAndReportsTheCpuSolver) {
  auto* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  orb->pblock2->SetValue(param::loopSeconds, 0, 0.8f);
  orb->pblock2->SetValue(param::useCUDA, 0, false);
  orb->BuildMesh(0);
  EXPECT_EQ(orb->Cache().frames, 24);
  EXPECT_EQ(orb->Cache().solverName, "CPU solver");
  const std::wstring status = orb->SolverStatus();
  EXPECT_EQ(status.rfind(L"CPU solver | 24 frames | ", 0), 0u) << status;
  EXPECT_EQ(status.substr(status.size() - 2), L" s");
  const std::uint64_t key = orb->Cache().key;
  orb->pblock2->SetValue(param::gravity, 0, 9.f);
  orb->BuildMesh(0);
  EXPECT_NE(orb->Cache().key, key);
  orb->pblock2->SetValue(param::gravity, 0, 8.f);  // back again: the cache holds only the last bake
  orb->BuildMesh(0);
  EXPECT_EQ(orb->Cache().key, key);
  const double seconds = orb->Cache().seconds;
  for (TimeValue t = 0; t < 4800; t += 480) orb->BuildMesh(t);  // scrubbing reads the cache
  EXPECT_EQ(orb->Cache().seconds, seconds);
  orb->DeleteThis();
}

// Without a device the GPU path gives way to the CPU solver and says why.
TEST(ClothBakeTest, WithoutADeviceTheBakeFallsBackAndSaysWhy) {
#if defined(ORB_GPU_BACKEND_CUDA)
  int count = 0;
  if (gpu::getDeviceCount(&count) == gpu::Success && count > 0) GTEST_SKIP() << "a device is present";
#else
  gpu::faults::setNoDevice(true);
#endif
  auto* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  orb->pblock2->SetValue(param::loopSeconds, 0, 0.5f);
  orb->pblock2->SetValue(param::substeps, 0, 1);
  orb->BuildMesh(0);
  gpu::faults::reset();
  EXPECT_EQ(orb->SolverStatus().rfind(L"CUDA unavailable | 24 frames | ", 0), 0u) << orb->SolverStatus();
  // The same frames as an orb that never asked for the GPU.
  auto* cpuOnly = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  cpuOnly->pblock2->SetValue(param::loopSeconds, 0, 0.5f);
  cpuOnly->pblock2->SetValue(param::substeps, 0, 1);
  cpuOnly->pblock2->SetValue(param::useCUDA, 0, false);
  cpuOnly->BuildMesh(0);
  const std::vector<Vec>& a = orb->Cache().frameData;
  const std::vector<Vec>& b = cpuOnly->Cache().frameData;
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(Vec)), 0);
  cpuOnly->DeleteThis();
  orb->DeleteThis();
}
