#pragma once
// The procedural part of the ink's vortex track: surface whirlpools and inner
// vortices generated from a model seed, moving with the loop phase, and the
// assembly of per-frame tube lists into the frame-major track the engine
// reads. Object vortices come from the scene and are appended by the
// gathering; this file knows nothing of the host.
#include <cstdint>
#include <vector>

#include "ink/sim/InkRecords.h"

namespace ink {

// The vortex model's 32-bit hashes.
std::uint32_t vortexL(std::uint32_t x);
std::uint32_t vortexM(std::uint32_t y);
std::uint32_t vortexH(std::uint32_t a, std::uint32_t b);
float vortexU(std::uint32_t h);  // [0, 1) from 24 bits

// The model's parameters ("InkParameters" of the same names).
struct VortexModel {
  float radius = 50.f;
  std::int32_t modelSeed = 42;
  float loopSeconds = 9.f;
  std::int32_t surfaceCount = 8;
  float surfaceStrength = 16.f, surfaceCoreDeg = 26.f, surfaceDepth = 0.6f, wander = 0.6f;
  std::int32_t volumeCount = 5;
  float volumeStrength = 15.f, volumeCore = 0.3f, volumeLength = 0.6f, volumeOrbit = 0.5f;
};

// Appends the surface whirlpools, then the inner vortices, at `seconds`.
void appendModelTubes(const VortexModel& model, float seconds, std::vector<Tube>& frame);

// The frames a track covers and its start time in seconds: with the loop,
// frames 0 to trunc(loopSeconds × fps + 0.5) from time 0; otherwise from the
// start frame to the latest of it, the current frame and the end of the
// animation range, starting at startFrame / fps.
struct TrackRange {
  int first = 0, last = 0;
  float startSeconds = 0.f;
  int frames() const { return last - first + 1; }
};
TrackRange trackRange(bool loop, float loopSeconds, float fps, int startFrame, int currentFrame, int animationEnd);

// The tube a short frame is filled up with: no strength, no flow.
Tube inertTube();

// Appends one frame of T tubes to a frame-major track: a longer frame is cut
// to T, a shorter one filled up with inert tubes.
void appendEvenFrame(const std::vector<Tube>& frame, std::size_t tubesPerFrame, std::vector<Tube>& track);

// Frame-major track with the first frame's tube count T: later frames are
// cut to T or filled up with inert tubes.
std::vector<Tube> evenTrack(const std::vector<std::vector<Tube>>& frames, std::int32_t& tubesPerFrame);

}  // namespace ink
