#pragma once
// Shared inputs of the ink engine tests and benchmarks: the default flow
// record, a thirteen-tube vortex track and closed meshes as triangle soups.
#include <cmath>
#include <vector>

#include "ink/sim/InkRecords.h"

namespace inktest {

// The ink object's default settings for `count` particles.
inline ink::Params defaultParams(int count) {
  ink::Params p{};
  p.count = count;
  p.radius = 50.f;
  p.seed = 42;
  p.sheetAmount = 0.5f;
  p.shellAmount = 0.f;
  p.volumeAmount = 0.02f;
  p.meshAmount = 1.f;
  p.sheetCount = 8;
  p.sheetSize = 1.f;
  p.sheetThickness = 0.0015f;
  p.sheetWarp = 1.f;
  p.blobAmount = 0.48f;
  p.blobCount = 4;
  p.blobSize = 0.07f;
  p.fps = 30.f;
  p.substeps = 2;
  p.loopSeconds = 9.f;
  p.loop = 1;
  p.startTime = 0.f;
  p.timeScale = 1.f;
  p.curlStrength = 3.6f;
  p.curlScale = 0.75f;
  p.curlOctaves = 3;
  p.curlEvolve = 0.7f;
  p.wallSoftness = 0.12f;
  p.spinAxis = {0, 0, 1};
  p.spin = 0.08f;
  return p;
}

// Eight surface whirlpools and five inner vortices over `frames` track
// frames, drifting slowly; fills the record's track fields.
inline std::vector<ink::Tube> defaultTrack(ink::Params& p, int frames = 8) {
  std::vector<ink::Tube> track;
  const float R = p.radius;
  for (int f = 0; f < frames; ++f) {
    const float drift = 0.05f * static_cast<float>(f);
    for (int j = 0; j < 8; ++j) {
      const float phi = 0.785f * static_cast<float>(j) + drift, z = 0.6f * std::sin(1.3f * j);
      const float s = std::sqrt(1.f - z * z);
      const orb::Vec n{s * std::cos(phi), s * std::sin(phi), z};
      track.push_back({n * (0.97f * R), n, 40.f * (j % 2 ? -1.f : 1.f), 0.18f * R, 1, 0.7f, 1.f});
    }
    for (int j = 0; j < 5; ++j) {
      const float phi = 1.257f * static_cast<float>(j) - drift;
      const orb::Vec c{0.5f * R * std::cos(phi), 0.5f * R * std::sin(phi), 0.1f * R * (j - 2)};
      const orb::Vec axis{std::sin(phi) * 0.6f, -std::cos(phi) * 0.6f, 0.8f};
      track.push_back({c, axis, 15.f, 0.3f * R, 2, 0.6f * R, 0.f});
    }
  }
  p.tubesPerFrame = 13;
  p.trackFrames = frames;
  p.trackStart = 0.f;
  return track;
}

inline void addTriangle(std::vector<float>& soup, orb::Vec a, orb::Vec b, orb::Vec c) {
  soup.insert(soup.end(), {a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z});
}

// Axis-aligned cube of half side h, outward-facing triangles.
inline std::vector<float> cubeSoup(float h) {
  std::vector<float> soup;
  for (int axis = 0; axis < 3; ++axis)
    for (float side : {-1.f, 1.f}) {
      auto corner = [&](float u, float v) {
        float c[3];
        c[axis] = side * h;
        c[(axis + 1) % 3] = u * h;
        c[(axis + 2) % 3] = v * h;
        return orb::Vec{c[0], c[1], c[2]};
      };
      addTriangle(soup, corner(-1, -1), corner(1, -1), corner(1, 1));
      addTriangle(soup, corner(-1, -1), corner(1, 1), corner(-1, 1));
    }
  return soup;
}

// UV sphere of radius r with the given rings and segments.
inline std::vector<float> sphereSoup(float r, int rings, int segments) {
  std::vector<float> soup;
  auto at = [&](int i, int j) {
    const float th = 3.14159265f * static_cast<float>(i) / rings, ph = 6.2831853f * static_cast<float>(j) / segments;
    return orb::Vec{r * std::sin(th) * std::cos(ph), r * std::sin(th) * std::sin(ph), r * std::cos(th)};
  };
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      if (i > 0) addTriangle(soup, at(i, j), at(i + 1, j), at(i, j + 1));
      if (i < rings - 1) addTriangle(soup, at(i, j + 1), at(i + 1, j), at(i + 1, j + 1));
    }
  return soup;
}

}  // namespace inktest
