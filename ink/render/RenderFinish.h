#pragma once
// The host side of a frame's last two steps: the caustic maps of the glass
// sphere on the floor, and the finishing pass's argument record filled from
// the settings and the frame's device buffers.
#include <cstdint>

#include "gpu/FirstError.h"
#include "ink/render/RenderRecords.h"
#include "ink/render/RenderSettings.h"

namespace ink {

// The filtered caustic maps of this frame, or none.
struct CausticFrame {
  const float* maps = nullptr;  // lights × 384² floats on the device
  float halfSize = 0.f, floorHeight = 0.f;
};

// Traces the caustics when caustics and glass are on, scene triangles exist,
// there is a light and a floor lies below the orb. A map buffer that cannot
// be allocated silently leaves the frame without caustics; false only when
// a launch fails (recorded in `device`).
bool renderCaustics(const RenderSettings& s, const LightSet& lights, CausticFrame& out, gpu::FirstError& device);

// What the finishing pass reads besides the settings; null where the frame
// has no such buffer.
struct FinishBuffers {
  float tanHalfFovY = 0.f;
  LightSet lights{};
  GridInfo grid{};
  const float* density = nullptr;
  const float* hdri = nullptr;
  const float* background = nullptr;
  const float* matteDepth = nullptr;
  const float* passAccumulator = nullptr;
  float* passOutput = nullptr;
  const SceneTriangle* sceneTriangles = nullptr;
  const float* sceneDepth = nullptr;
  const std::int32_t* sceneIndex = nullptr;
  CausticFrame caustics;
};

// 1 when the HDRI is the background: always in HDRI mode, by envBackground
// in colour mode, never when transparent.
std::int32_t showEnvironment(const RenderSettings& s);

FinishArgs finishArgs(const RenderSettings& s, const FinishBuffers& b);

}  // namespace ink
