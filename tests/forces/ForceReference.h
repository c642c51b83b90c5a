#pragma once
// Independent double-precision models of both space warps' fields, written
// from the behaviour description, for comparison with the float code.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ref {

struct V {
  double x = 0, y = 0, z = 0;
};
inline V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V operator*(V a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline double len(V a) { return std::sqrt(dot(a, a)); }
inline V unit(V a) {
  const double l = len(a);
  return l > 0 ? a * (1 / l) : a;
}

constexpr double kPi = 3.14159265358979323846;

// Row-vector affine transform: p' = p.x r0 + p.y r1 + p.z r2 + r3.
struct M {
  V r[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
  V point(V p) const { return r[0] * p.x + r[1] * p.y + r[2] * p.z + r[3]; }
  V vector(V p) const { return r[0] * p.x + r[1] * p.y + r[2] * p.z; }
  // Inverse of a rotation-and-translation (orthonormal rows).
  V inversePoint(V p) const {
    const V d = p - r[3];
    return {dot(d, r[0]), dot(d, r[1]), dot(d, r[2])};
  }
};

// Euler degrees X, then Y, then Z, then the translation.
inline M eulerXYZ(V degrees, V translation) {
  const double a = degrees.x * kPi / 180, b = degrees.y * kPi / 180, c = degrees.z * kPi / 180;
  auto rx = [&](V p) { return V{p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)}; };
  auto ry = [&](V p) { return V{p.x * std::cos(b) + p.z * std::sin(b), p.y, -p.x * std::sin(b) + p.z * std::cos(b)}; };
  auto rz = [&](V p) { return V{p.x * std::cos(c) - p.y * std::sin(c), p.x * std::sin(c) + p.y * std::cos(c), p.z}; };
  M m;
  for (int i = 0; i < 3; ++i) m.r[i] = rz(ry(rx(m.r[i])));
  m.r[3] = translation;
  return m;
}

// ---- Vortex Force ----

inline std::uint32_t hash(std::uint32_t x) { return (x ^ (x >> 13)) * 0x5BD1E995u; }
inline double u(std::uint32_t h) { return static_cast<double>((h ^ (h >> 15)) & 0xFFFFFFu) / 16777216.0; }

inline V generatedAxis(int seed, int i, int G, double wander, double loopSeconds, double tau) {
  const std::uint32_t s = static_cast<std::uint32_t>(seed) * 0x8DA6B343u;
  const double N = G >= 2 ? G : 1;
  const double z = 1 - 2 * (i + 0.5) / N;
  const double r = std::sqrt(std::max(0.0, 1 - z * z));
  const double ang = 2 * kPi * u(hash(s ^ 0xE89B89C7u)) + 2.399963 * i;
  V p{r * std::cos(ang), r * std::sin(ang), z};
  const double az = 2 * kPi * u(hash(s ^ 0x48F46ACBu));
  p = {p.x * std::cos(az) - p.y * std::sin(az), p.x * std::sin(az) + p.y * std::cos(az), p.z};
  const double ax = 2 * (u(hash(s ^ 0xF920DB4Du)) - 0.5);
  p = {p.x, p.y * std::cos(ax) - p.z * std::sin(ax), p.y * std::sin(ax) + p.z * std::cos(ax)};
  const V refv = std::fabs(p.z) < 0.9 ? V{0, 0, 1} : V{1, 0, 0};
  const V t1 = unit(cross(p, refv)), t2 = cross(p, t1);
  const double w = 2 * kPi * tau / std::max(loopSeconds, 0.1);
  const std::uint32_t X = static_cast<std::uint32_t>(i) * 0xD8163841u;
  const double u1 = u(hash(s ^ (X + 0x68ADF964u))), u2 = u(hash(s ^ (X + 0x3A09EC2Cu)));
  const double u3 = u(hash(s ^ (X + 0xD15BF2C8u))), u4 = u(hash(s ^ (X + 0xA2B7E590u)));
  const double k1 = 1 + std::floor(2.999 * u1), k2 = 1 + std::floor(2.999 * u3);
  return unit(p + t1 * (0.6 * wander * std::sin(k1 * w + 2 * kPi * u2)) +
              t2 * (0.6 * wander * std::cos(k2 * w + 2 * kPi * u4)));
}

struct Seed {
  V worldPosition;
  double swirl = 1, attract = 1, spread = 0, eye = 0, on = 1;
};

struct Vortex {
  double radius = 50, swirl = 24, attraction = 0.5, spread = 30, partition = 2, eye = 0.25, surfaceHold = 4,
         drag = 0.15, wander = 0.5, loopSeconds = 9, turbulence = 8, responseScale = 0.01;
  int vortexCount = 10, seed = 42;
  std::vector<Seed> seeds;
  M node;

  struct Axis {
    V a;
    bool isSeed;
    const Seed* s;
  };
  std::vector<Axis> axes(double tau) const {
    std::vector<Axis> out;
    for (const Seed& s : seeds) {
      if (out.size() == 64) break;
      const V p = node.inversePoint(s.worldPosition);
      out.push_back({len(p) < 1e-6 ? V{0, 0, 1} : unit(p), true, &s});
    }
    int G = std::clamp(vortexCount, 0, 64);
    if (out.empty() && G == 0) G = 1;
    const int seedCount = static_cast<int>(out.size());
    for (int i = 0; i < G && out.size() < 64; ++i)
      out.push_back({generatedAxis(seed, i, G, wander, loopSeconds, tau), false, nullptr});
    (void)seedCount;
    return out;
  }

  V force(V x, V v, int n, double tau) const {
    const V q = node.inversePoint(x);
    const double d = len(q);
    if (d < 1e-5) return v * -drag;
    const V nh = q * (1 / d);
    V F = nh * ((radius - d) * surfaceHold);
    const std::vector<Axis> ax = axes(tau);
    const double s0 = std::max(spread, 0.5) * kPi / 180;
    std::vector<double> w(ax.size()), sig(ax.size());
    double W = 0;
    for (std::size_t j = 0; j < ax.size(); ++j) {
      sig[j] = ax[j].isSeed && ax[j].s->spread > 0 ? ax[j].s->spread * kPi / 180 : s0;
      const bool off = ax[j].isSeed && !(ax[j].s->on > 0.5);
      const double th = off ? 1e6 : std::acos(std::clamp(dot(ax[j].a, nh), -1.0, 1.0)) / sig[j];
      w[j] = std::pow(std::exp(-th * th) + 1e-9, std::max(partition, 0.0));
      W += w[j];
    }
    if (W > 1e-9) {
      for (std::size_t j = 0; j < ax.size(); ++j) {
        const double g = w[j] / W;
        if (g < 1e-4) continue;
        const double sj = swirl * (ax[j].isSeed ? ax[j].s->swirl : 1);
        const double aj = attraction * (ax[j].isSeed ? ax[j].s->attract : 1);
        const double ej = ax[j].isSeed && ax[j].s->eye > 0 ? ax[j].s->eye : std::max(eye, 0.01);
        const double c = std::clamp(dot(ax[j].a, nh), -1.0, 1.0);
        const double th = std::acos(c) / sig[j], Gj = std::exp(-th * th);
        V K = cross(ax[j].a, nh);
        if (len(K) > 1e-6) K = unit(K);
        V Mv = ax[j].a - nh * c;
        if (len(Mv) > 1e-6) Mv = unit(Mv);
        F = F + (Mv * (std::min(th, 1.0) * aj * Gj) + K * (std::min(th / ej, 1.0) * sj * Gj)) * g;
      }
    }
    if (turbulence > 0) {
      const double om = 2 * kPi * tau / std::max(loopSeconds, 0.1);
      V T{std::sin(0.08 * q.y + om + 0.013 * n) - std::cos(0.08 * q.z - om),
          std::sin(2 * om + 0.08 * q.z) - std::cos(0.08 * q.x + om),
          std::sin(0.08 * q.x - om) - std::cos(2 * om + 0.08 * q.y)};
      T = T - nh * dot(T, nh);
      F = F + T * turbulence;
    }
    return node.vector(F) * responseScale - v * drag;
  }
};

// ---- Particle Force ----

struct Particle {
  int mode = 0, seed = 42;
  double strength = 12, radius = 50, shellBand = 8, swirl = 18, axialFlow = 0, turbulence = 4, turbulenceScale = 0.08,
         timeScale = 1, drag = 0.05, falloff = 2, responseScale = 0.01;
  M node;

  V force(V x, V v, int n, double seconds) const {
    const V q = node.inversePoint(x);
    const double d = len(q);
    const double w = std::pow(std::max(0.0, std::min(1.0, 1 - d / std::max(0.001, radius))), std::max(falloff, 0.1));
    const V nh = d > 1e-5 ? q * (1 / d) : V{0, 0, 1};
    V e = cross(V{0, 0, 1}, nh);
    e = len(e) < 1e-5 ? V{1, 0, 0} : unit(e);
    const double tau = seconds * timeScale + 0.173 * seed, W = turbulenceScale;
    const V axial{0, 0, axialFlow};
    V F;
    if (mode == 0)
      F = nh * (std::clamp(radius - d, -shellBand, shellBand) * strength) + e * swirl + axial;
    else if (mode == 1)
      F = nh * ((radius - d) * strength) + e * swirl + axial;
    else if (mode == 2)
      F = nh * -strength + e * swirl + axial;
    else
      F = V{std::sin(W * q.y + tau) - std::cos(W * q.z - 0.73 * tau),
            std::sin(W * q.z + 0.83 * tau) - std::cos(W * q.x + tau),
            std::sin(W * q.x - 0.61 * tau) - std::cos(W * q.y + 0.47 * tau)} *
          (strength + swirl);
    if (turbulence > 0)
      F = F + V{std::sin(W * q.y + tau + 0.013 * n) - std::cos(W * q.z - tau),
                std::sin(W * q.z + 0.7 * tau) - std::cos(W * q.x - 0.9 * tau),
                std::sin(W * q.x + 0.6 * tau) - std::cos(W * q.y - 0.8 * tau)} *
                  turbulence;
    return node.vector(F * (responseScale * w)) - v * drag;
  }
};

}  // namespace ref
