#pragma once
// What the ink engine takes from the scene, in the ink object's own space
// (ink space): the vortex track with the object vortices, the emitter
// triangles and the container mesh with its distance grid.
#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/Matrix3.h"
#include "host/sdk/ParamTypes.h"
#include "host/sdk/Time.h"
#include "ink/sim/ContainerSdf.h"
#include "ink/sim/InkRecords.h"

class INode;
class IParamBlock2;

namespace ink {

constexpr std::size_t kMaxTubesPerFrame = 128;
constexpr std::size_t kMaxEmitterTriangles = 2000000;

// World to ink space at t: the inverse of the ink node's transform; the
// identity without a node.
Matrix3 worldToInk(INode* inkNode, TimeValue t);

// A host point as a record's vector.
inline orb::Vec inkVec(const Point3& p) { return {p.x, p.y, p.z}; }

// Seconds at a host time.
inline float secondsAt(TimeValue t) { return static_cast<float>(t) / TIME_TICKSPERSEC; }

// A text or file-name parameter at t in UTF-8; empty when unset.
std::string paramText(IParamBlock2& block, ParamID id, TimeValue t);

// The host's frame rate, ticks per frame and the last frame of its
// animation range.
struct SceneTiming {
  float fps = 30.f;
  int ticksPerFrame = 160;
  int animationEndFrame = 0;
};
SceneTiming sceneTiming();

struct VortexTrack {
  std::vector<Tube> tubes;  // frame-major, tubesPerFrame per frame
  std::int32_t tubesPerFrame = 0;
  std::int32_t frames = 0;
  float startSeconds = 0.f;
};

// Appends the `vortexObjects` nodes at `time` while the frame holds fewer
// than 128 tubes: centre at the node, axis its local Z, strength, core and
// length from the parameters or the node's "strength", "core" and "length"
// user properties.
void appendObjectVortices(IParamBlock2& block, INode* inkNode, TimeValue time, float radius, std::vector<Tube>& frame);

// Builds the whole track for the evaluation at t. False, with the track
// left as it was, when the host cannot hold it.
bool buildVortexTrack(IParamBlock2& block, INode* inkNode, TimeValue t, const SceneTiming& timing, VortexTrack& track,
                      std::string& error);

// Every face of the `emitterObjects` meshes at t, in ink space, at most
// 2,000,000. False, with the list left as it was, when the host cannot hold it.
bool gatherEmitters(IParamBlock2& block, INode* inkNode, TimeValue t, std::vector<Tri>& triangles,
                    std::string& error);

// The container: its distance grid, the signature of the mesh it was built
// from, and the last build's failure until a build succeeds.
struct ContainerState {
  ContainerSdf grid;
  std::string signature;
  std::string failure;  // "container: " + the build's message, or empty
  bool inUse = false;
};

// Gathers `containerObject` at t and rebuilds its grid when the signature
// "%p|%d|%d|%.9g" (node, float count, `containerRes`, vertex checksum)
// changed. True when a container node with a mesh is set, even when its grid
// failed to build (the next evaluation tries again).
bool gatherContainer(IParamBlock2& block, INode* inkNode, TimeValue t, ContainerState& container);

}  // namespace ink
