#include "ink/VortexModel.h"

#include <algorithm>
#include <cmath>

#include "util/Math.h"

namespace ink {

namespace {

constexpr std::uint32_t kK1 = 0x7FEB352Du;
constexpr std::uint32_t kK2 = 0x846CA68Bu;
constexpr std::uint32_t kStride = 2048144777u;  // between consecutive vortices' keys

using util::kTwoPi;

// Unit length, the length floored at 1e-12 so a zero vector stays zero.
orb::Vec unit(orb::Vec v) { return v * (1.f / std::max(length(v), 1e-12f)); }

// A uniform in [0, 1) of one vortex's key and the model seed.
float keyed(std::uint32_t key, std::uint32_t s) { return vortexU(vortexH(key, s)); }

// The loop phase: one turn per loop.
float loopPhase(const VortexModel& m, float seconds) { return seconds * kTwoPi / std::max(m.loopSeconds, 0.01f); }

void appendSurfaceWhirlpools(const VortexModel& m, std::uint32_t s0, std::uint32_t s, float c,
                             std::vector<Tube>& frame) {
  const int n = m.surfaceCount < 2 ? 1 : m.surfaceCount;
  const float core = m.radius * std::tan(m.surfaceCoreDeg * util::kDegToRad);
  for (int i = 0; i < m.surfaceCount; ++i) {
    const std::uint32_t d = 0xA0362CF8u - static_cast<std::uint32_t>(i) * kStride;
    const float e = 1.f - 2.f * (static_cast<float>(i) + 0.5f) / static_cast<float>(n);
    const float k = std::sqrt(std::max(1.f - e * e, 0.f));
    const float theta = kTwoPi * vortexU(vortexL(s0 ^ 0x63661D1Fu)) + static_cast<float>(i) * 2.399963f;
    const orb::Vec b{k * std::cos(theta), k * std::sin(theta), e};
    const orb::Vec t1 = std::fabs(e) < 0.9f ? unit(cross(b, {0.f, 0.f, 1.f})) : unit(cross(b, {1.f, 0.f, 0.f}));
    const orb::Vec t2 = cross(b, t1);
    const float m1 = 1.f - std::trunc(-1.999f * keyed(d - 1343952508u, s));
    const float m2 = 1.f - std::trunc(-1.999f * keyed(d, s));
    const float phi1 = kTwoPi * keyed(d + 1343952508u, s);
    const float phi2 = kTwoPi * keyed(d - 1607062280u, s);
    Tube tube{};
    tube.centre = {0.f, 0.f, 0.f};
    tube.axis = unit(b + m.wander * (std::sin(m1 * c + phi1) * t1 + std::cos(m2 * c + phi2) * t2));
    const float sign = keyed(d - 263109772u, s) < 0.5f ? -1.f : 1.f;
    tube.strength = sign * m.surfaceStrength * (m.radius / 50.f) * core;
    tube.core = core;
    tube.kind = 1;
    tube.a = 1.f - m.surfaceDepth;
    tube.b = 1.f - 0.4f * m.surfaceDepth;
    frame.push_back(tube);
  }
}

void appendInnerVortices(const VortexModel& m, std::uint32_t s, float c, std::vector<Tube>& frame) {
  const float core = m.radius * m.volumeCore;
  for (int j = 0; j < m.volumeCount; ++j) {
    const std::uint32_t e = 817732964u - static_cast<std::uint32_t>(j) * kStride;
    const float cosTheta = 2.f * keyed(e, s) - 1.f;
    const float sinTheta = std::sqrt(std::max(1.f - cosTheta * cosTheta, 0.f));
    const float r = 0.45f * m.radius * std::sqrt(keyed(e + 1343952508u, s));
    const float phi = kTwoPi * keyed(e - 1343952508u, s);
    const orb::Vec v = unit({keyed(e - 263109772u, s) - 0.5f, keyed(e - 1607062280u, s) - 0.5f,
                             keyed(e + 1080842736u, s) - 0.5f});
    const orb::Vec p = std::fabs(v.z) < 0.9f ? unit(cross({0.f, 0.f, 1.f}, v)) : unit(cross({0.f, 1.f, 0.f}, v));
    const float psi = m.volumeOrbit * std::sin(kTwoPi * keyed(e - 1870172052u, s) + c);
    const orb::Vec w = unit(std::cos(psi) * v + std::sin(psi) * p);
    Tube tube{};
    tube.centre = {r * sinTheta * std::cos(phi), r * sinTheta * std::sin(phi), r * cosTheta};
    tube.axis = {w.y, w.x, w.z};  // the model's axis takes w with x and y exchanged
    const float sign = keyed(e - 526219544u, s) < 0.5f ? -1.f : 1.f;
    tube.strength = sign * m.volumeStrength * (m.radius / 50.f) * core;
    tube.core = core;
    tube.kind = 2;
    tube.a = m.radius * m.volumeLength;
    tube.b = 0.f;
    frame.push_back(tube);
  }
}

}  // namespace

std::uint32_t vortexL(std::uint32_t x) {
  x = (x ^ (x >> 16)) * kK1;
  x ^= x >> 15;
  return x * kK2;
}

std::uint32_t vortexM(std::uint32_t y) {
  y *= kK1;
  y ^= y >> 15;
  return y * kK2;
}

std::uint32_t vortexH(std::uint32_t a, std::uint32_t b) { return vortexM(b ^ vortexL(a ^ 0x8CF1A293u)); }

float vortexU(std::uint32_t h) { return static_cast<float>((h & 0xFFFFFFu) ^ (h >> 16)) * (1.f / 16777216.f); }

void appendModelTubes(const VortexModel& model, float seconds, std::vector<Tube>& frame) {
  const std::uint32_t s0 = static_cast<std::uint32_t>(model.modelSeed) * 0x9E3779B1u;
  const std::uint32_t s = s0 ^ (s0 >> 16);
  const float c = loopPhase(model, seconds);
  appendSurfaceWhirlpools(model, s0, s, c, frame);
  appendInnerVortices(model, s, c, frame);
}

TrackRange trackRange(bool loop, float loopSeconds, float fps, int startFrame, int currentFrame, int animationEnd) {
  if (loop) return {0, static_cast<int>(loopSeconds * fps + 0.5f), 0.f};
  return {startFrame, std::max({startFrame, currentFrame, animationEnd}), static_cast<float>(startFrame) / fps};
}

Tube inertTube() {
  Tube t{};
  t.axis = {0.f, 0.f, 1.f};
  t.core = 1.f;
  t.a = t.b = 1.f;
  return t;
}

void appendEvenFrame(const std::vector<Tube>& frame, std::size_t tubesPerFrame, std::vector<Tube>& track) {
  const std::size_t kept = std::min(frame.size(), tubesPerFrame);
  track.insert(track.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(kept));
  track.insert(track.end(), tubesPerFrame - kept, inertTube());
}

std::vector<Tube> evenTrack(const std::vector<std::vector<Tube>>& frames, std::int32_t& tubesPerFrame) {
  tubesPerFrame = frames.empty() ? 0 : static_cast<std::int32_t>(frames.front().size());
  const auto perFrame = static_cast<std::size_t>(tubesPerFrame);
  std::vector<Tube> track;
  track.reserve(frames.size() * perFrame);
  for (const std::vector<Tube>& frame : frames) appendEvenFrame(frame, perFrame, track);
  return track;
}

}  // namespace ink
