#pragma once
// The records the ink engine hands to its kernels: the advance parameters,
// one vortex tube at one track frame and one emitter triangle. Field orders
// are fixed; every record is plain data copied to the device by value.
#include <cstdint>

#include "util/Vec.h"

namespace ink {

struct Params {
  std::int32_t count;  // particles of this engine
  float radius;
  std::int32_t seed;
  float sheetAmount;
  float shellAmount;
  float volumeAmount;
  float meshAmount;
  std::int32_t sheetCount;
  float sheetSize;       // fraction of the radius
  float sheetThickness;  // fraction of the radius
  float sheetWarp;
  float blobAmount;
  std::int32_t blobCount;
  float blobSize;  // fraction of the radius
  float fps;
  std::int32_t substeps;
  float loopSeconds;
  std::int32_t loop;
  float startTime;  // seconds
  float timeScale;
  float curlStrength;
  float curlScale;
  std::int32_t curlOctaves;
  float curlEvolve;
  float wallSoftness;  // fraction of the radius
  orb::Vec spinAxis;   // always +z
  float spin;
  std::int32_t tubesPerFrame;
  std::int32_t trackFrames;
  float trackStart;  // seconds
  std::int32_t triangleCount;
  const float* grid;  // container distance grid, res^3, or null
  std::int32_t gridRes;
  orb::Vec gridOrigin;  // corner of cell 0
  float gridCell;

  bool operator==(const Params&) const = default;
};

// One vortex tube at one frame of the track. kind 1: surface tube whose
// axial ramp runs from a to b (units of the radius); kind 2: volume or object
// tube of length a; kind 0: filler.
struct Tube {
  orb::Vec centre;
  orb::Vec axis;  // unit length
  float strength;
  float core;
  std::int32_t kind;
  float a;
  float b;

  bool operator==(const Tube&) const = default;
};

struct Tri {
  orb::Vec v0, v1, v2;  // ink-local space

  bool operator==(const Tri&) const = default;
};

}  // namespace ink
