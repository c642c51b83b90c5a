#include "ink/SimGathering.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "common/NodeTriMesh.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/Types.h"
#include "ink/InkParams.h"
#include "ink/VortexModel.h"
#include "ink/sim/GpuContext.h"

namespace ink {

namespace {
// A node's user property as a float, else the fallback.
float userNumber(const INode& node, const MCHAR* key, float fallback) {
  float v = fallback;
  return node.GetUserPropFloat(key, v) ? v : fallback;
}

VortexModel vortexModelAt(IParamBlock2& pb, TimeValue t) {
  namespace pid = param;
  VortexModel m;
  m.radius = pb.GetFloat(pid::radius, t);
  m.modelSeed = pb.GetInt(pid::modelSeed, t);
  m.loopSeconds = pb.GetFloat(pid::loopSeconds, t);
  m.surfaceCount = pb.GetInt(pid::surfaceCount, t);
  m.surfaceStrength = pb.GetFloat(pid::surfaceStrength, t);
  m.surfaceCoreDeg = pb.GetFloat(pid::surfaceCoreDeg, t);
  m.surfaceDepth = pb.GetFloat(pid::surfaceDepth, t);
  m.wander = pb.GetFloat(pid::wander, t);
  m.volumeCount = pb.GetInt(pid::volumeCount, t);
  m.volumeStrength = pb.GetFloat(pid::volumeStrength, t);
  m.volumeCore = pb.GetFloat(pid::volumeCore, t);
  m.volumeLength = pb.GetFloat(pid::volumeLength, t);
  m.volumeOrbit = pb.GetFloat(pid::volumeOrbit, t);
  return m;
}

bool trackTooLarge(std::int64_t frames, std::string& error) {
  error = "not enough system memory for the vortex track (" + std::to_string(frames) + " frames)";
  return false;
}

// One node's mesh at t as ink-space corners, handed to `visit` face by face.
template <class Visit>
void forEachInkFace(INode& node, TimeValue t, const Matrix3& toInk, Visit&& visit) {
  const common::NodeTriMesh mesh(node, t);
  mesh.forEachFace(node.GetObjectTM(t) * toInk, visit);
}
}  // namespace

Matrix3 worldToInk(INode* inkNode, TimeValue t) { return inkNode ? Inverse(inkNode->GetObjectTM(t)) : Matrix3(); }

std::string paramText(IParamBlock2& pb, ParamID id, TimeValue t) {
  const MCHAR* s = pb.GetStr(id, t);
  return s ? host::narrow(s) : std::string();
}

SceneTiming sceneTiming() {
  Interface& core = *GetCOREInterface();
  SceneTiming timing;
  timing.fps = static_cast<float>(core.GetFrameRate());
  timing.ticksPerFrame = core.GetTicksPerFrame();
  timing.animationEndFrame = core.GetAnimRange().End() / timing.ticksPerFrame;
  return timing;
}

void appendObjectVortices(IParamBlock2& pb, INode* inkNode, TimeValue time, float radius, std::vector<Tube>& frame) {
  const Matrix3 toInk = worldToInk(inkNode, time);
  const float unit = radius / 50.f;
  const int entries = pb.Count(param::vortexObjects);
  for (int k = 0; k < entries && frame.size() < kMaxTubesPerFrame; ++k) {
    INode* node = pb.GetINode(param::vortexObjects, time, k);
    if (!node) continue;
    const Matrix3 local = node->GetNodeTM(time) * toInk;
    const float strength = userNumber(*node, _M("strength"), pb.GetFloat(param::objectStrength, time));
    const float core = std::max(userNumber(*node, _M("core"), pb.GetFloat(param::objectCore, time)), 0.01f) * radius;
    const float length = userNumber(*node, _M("length"), pb.GetFloat(param::objectLength, time));
    Tube tube{};
    tube.centre = inkVec(local.GetTrans());
    tube.axis = util::normalizedOr(inkVec(local.GetRow(2)), orb::Vec{0.f, 0.f, 0.f});
    tube.core = core;
    tube.strength = unit * strength * core;
    tube.kind = 2;
    tube.a = std::max(length, 0.01f) * radius;
    tube.b = 0.f;
    frame.push_back(tube);
  }
}

bool buildVortexTrack(IParamBlock2& pb, INode* inkNode, TimeValue t, const SceneTiming& timing, VortexTrack& track,
                      std::string& error) {
  const VortexModel model = vortexModelAt(pb, t);
  const TrackRange range =
      trackRange(pb.GetInt(param::loop, t) != 0, model.loopSeconds, timing.fps, pb.GetInt(param::startFrame, t),
                 t / timing.ticksPerFrame, timing.animationEndFrame);
  const std::int64_t frames = static_cast<std::int64_t>(range.last) - range.first + 1;
  VortexTrack built;
  built.startSeconds = range.startSeconds;
  try {
    std::vector<Tube> frame;
    for (std::int64_t i = 0; i < frames; ++i) {
      const std::int64_t f = range.first + i;
      frame.clear();
      appendModelTubes(model, static_cast<float>(f) / timing.fps, frame);
      appendObjectVortices(pb, inkNode, static_cast<TimeValue>(f * timing.ticksPerFrame), model.radius, frame);
      if (i == 0) {
        built.tubesPerFrame = static_cast<std::int32_t>(frame.size());
        if (built.tubesPerFrame == 0) break;  // every later frame is cut to nothing
        const std::int64_t bytes = frames * built.tubesPerFrame * static_cast<std::int64_t>(sizeof(Tube));
        if (!hostMemoryHolds(bytes)) throw std::bad_alloc();
        built.tubes.reserve(static_cast<std::size_t>(frames * built.tubesPerFrame));
      }
      appendEvenFrame(frame, static_cast<std::size_t>(built.tubesPerFrame), built.tubes);
    }
  } catch (const std::bad_alloc&) {
    return trackTooLarge(frames, error);
  } catch (const std::length_error&) {
    return trackTooLarge(frames, error);
  }
  built.frames = built.tubesPerFrame > 0 ? static_cast<std::int32_t>(frames) : 0;
  track = std::move(built);
  return true;
}

bool gatherEmitters(IParamBlock2& pb, INode* inkNode, TimeValue t, std::vector<Tri>& triangles, std::string& error) {
  const Matrix3 toInk = worldToInk(inkNode, t);
  std::vector<Tri> gathered;
  try {
    const int entries = pb.Count(param::emitterObjects);
    for (int k = 0; k < entries && gathered.size() < kMaxEmitterTriangles; ++k) {
      INode* node = pb.GetINode(param::emitterObjects, t, k);
      if (!node) continue;
      forEachInkFace(*node, t, toInk, [&](std::size_t, const Point3& a, const Point3& b, const Point3& c) {
        gathered.push_back({inkVec(a), inkVec(b), inkVec(c)});
        return gathered.size() < kMaxEmitterTriangles;
      });
    }
  } catch (const std::bad_alloc&) {
    error = "not enough system memory for the emitter triangles";
    return false;
  }
  triangles = std::move(gathered);
  return true;
}

bool gatherContainer(IParamBlock2& pb, INode* inkNode, TimeValue t, ContainerState& container) {
  INode* node = pb.GetINode(param::containerObject, t);
  std::vector<float> vertices;
  bool hasMesh = false;
  if (node) {
    const common::NodeTriMesh mesh(*node, t);
    hasMesh = mesh.mesh() != nullptr;
    mesh.forEachFace(node->GetObjectTM(t) * worldToInk(inkNode, t),
                     [&](std::size_t, const Point3& a, const Point3& b, const Point3& c) {
                       for (const Point3* p : {&a, &b, &c}) vertices.insert(vertices.end(), {p->x, p->y, p->z});
                       return true;
                     });
  }
  container.inUse = hasMesh;
  if (!hasMesh) {
    container.signature.clear();
    container.failure.clear();
    container.grid.release();
    return false;
  }
  double checksum = 0.0;
  for (std::size_t i = 0; i + 2 < vertices.size(); i += 3)
    checksum = vertices[i] * 0.37 + checksum * 1.0000001 + vertices[i + 1] * 0.71 + vertices[i + 2] * 1.13;
  const int res = pb.GetInt(param::containerRes, t);
  char signature[128];
  std::snprintf(signature, sizeof signature, "%p|%d|%d|%.9g", static_cast<const void*>(node),
                static_cast<int>(std::min<std::size_t>(vertices.size(), 0x7FFFFFFF)), res, checksum);
  if (signature == container.signature) return true;
  std::string message;
  if (container.grid.buildContainer(vertices, res, message)) {
    container.signature = signature;
    container.failure.clear();
  } else {
    container.signature.clear();
    container.failure = "container: " + message;
  }
  return true;
}

}  // namespace ink
