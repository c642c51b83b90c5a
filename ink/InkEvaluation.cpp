#include "ink/InkEvaluation.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/Types.h"
#include "ink/AssembleEvaluation.h"
#include "ink/InkParams.h"
#include "ink/InkSimParams.h"
#include "ink/PlumeGathering.h"
#include "ink/SilkGathering.h"
#include "ink/sim/GpuContext.h"
#include "util/Math.h"

namespace ink {

namespace {

// Summary parts are joined with ", "; an empty part adds nothing.
void appendPart(std::string& summary, const std::string& part) {
  if (part.empty()) return;
  if (!summary.empty()) summary += ", ";
  summary += part;
}

std::int64_t engineCount(std::int64_t n) { return std::clamp<std::int64_t>(n, 0, kMaxEngineCount); }

}  // namespace

void EvaluatedSources::clear() { *this = EvaluatedSources{}; }

bool EvaluatedSources::has(int group) const {
  return std::find(idBases.begin(), idBases.end(), groupIdBase(group)) != idBases.end();
}

void EvaluatedSources::add(ChunkSource source, float weight, int group, std::int64_t particles) {
  sources.push_back(std::move(source));
  weights.push_back(weight);
  idBases.push_back(groupIdBase(group));
  counts.push_back(particles);
  count += particles;
}

float sourceWeight(float radius, float density, std::int64_t count) {
  return util::kTwoPi * radius * radius * density / static_cast<float>(std::max<std::int64_t>(count, 1));
}

InkEvaluation::ModeEngines& InkEvaluation::engines(EvalMode mode) {
  auto& slot = modes_[static_cast<int>(mode)];
  if (!slot) slot = std::make_unique<ModeEngines>();
  return *slot;
}

const InkSim* InkEvaluation::inkEngine(EvalMode mode) const {
  const auto& slot = modes_[static_cast<int>(mode)];
  return slot ? &slot->ink : nullptr;
}

const PrtInputStage* InkEvaluation::prtStage(EvalMode mode) const {
  const auto& slot = modes_[static_cast<int>(mode)];
  return slot ? &slot->prt : nullptr;
}

void InkEvaluation::releaseRenderInk() {
  if (auto& slot = modes_[static_cast<int>(EvalMode::Render)]) releaseInkEngine(slot->ink);
}

bool InkEvaluation::addInk(IParamBlock2& pb, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                           std::string& summary, std::string& status) {
  namespace pid = param;
  std::int64_t n = pb.GetInt(mode == EvalMode::Render ? pid::renderCount : pid::viewportCount, t);
  if (mode == EvalMode::Render && n == 0) n = automaticInkCount();
  n = engineCount(n);
  if (n <= 0) return true;

  const SceneTiming timing = sceneTiming();
  if (rebuildTrack_) {
    if (!buildVortexTrack(pb, inkNode, t, timing, track_, status) ||
        !gatherEmitters(pb, inkNode, t, emitters_, status))
      return false;
    rebuildTrack_ = false;
  }
  Params params = inkSimParams(pb, t, timing.fps);
  params.count = static_cast<std::int32_t>(n);
  params.tubesPerFrame = track_.tubesPerFrame;
  params.trackFrames = track_.frames;
  params.trackStart = track_.startSeconds;
  params.triangleCount = static_cast<std::int32_t>(emitters_.size());
  if (gatherContainer(pb, inkNode, t, container_)) container_.grid.applyTo(params);

  ModeEngines& e = engines(mode);
  // A grid rebuilt in place keeps the record's pointer: the engine must
  // still start over, or it would keep particles of the old container.
  if (e.containerBuilds != container_.grid.builds()) e.ink.requireReconfigure();
  if (!e.ink.configure(params, track_.tubes, emitters_, status)) return false;
  e.containerBuilds = container_.grid.builds();
  if (!e.ink.advance(secondsAt(t), status)) return false;

  out.add(e.ink.source(), sourceWeight(params.radius, pb.GetFloat(pid::density, t), n), kInkGroup, n);
  appendPart(summary, e.ink.statusText());
  return true;
}

const SilkSim* InkEvaluation::silkEngine(EvalMode mode) const {
  const auto& slot = modes_[static_cast<int>(mode)];
  return slot ? &slot->silk : nullptr;
}

const SwirlSim* InkEvaluation::swirlEngine(EvalMode mode) const {
  const auto& slot = modes_[static_cast<int>(mode)];
  return slot ? &slot->swirl : nullptr;
}

bool InkEvaluation::addSilk(IParamBlock2& pb, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                            std::string& summary, std::string& status) {
  namespace pid = param;
  const std::int64_t n = engineCount(pb.GetInt(mode == EvalMode::Render ? pid::silkCount : pid::silkViewport, t));
  if (!pb.GetINode(pid::silkSource, t) || n <= 0) return true;
  SilkParams params;
  std::vector<SilkTri> triangles;
  if (!SampleSilk(pb, inkNode, t, n, params, triangles, status)) return false;
  SilkSim& silk = engines(mode).silk;
  std::string text;
  if (!silk.configure(params, triangles, text) || !silk.ready()) {
    // A source without batch buffers would only fail later, in every
    // consumer: its configure's text ends the evaluation here instead.
    status = text;
    return false;
  }
  out.add(silk.source(), sourceWeight(pb.GetFloat(pid::radius, t), pb.GetFloat(pid::silkDensity, t), n), kSilkGroup,
          n);
  appendPart(summary, "silk " + std::to_string(n));
  return true;
}

bool InkEvaluation::addSwirl(IParamBlock2& pb, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                             std::string& summary, std::string& status) {
  namespace pid = param;
  const std::int64_t n = engineCount(pb.GetInt(mode == EvalMode::Render ? pid::swirlCount : pid::swirlViewport, t));
  if (!pb.GetINode(pid::swirlSource, t) || n <= 0) return true;
  SwirlParams params;
  if (!SampleSwirl(pb, inkNode, t, n, rebuildSwirl_, swirlTrack_, params, status)) return false;
  SwirlSim& swirl = engines(mode).swirl;
  if (!swirl.configure(params, swirlTrack_.frames, status) ||
      !swirl.advance(secondsAt(t), status))
    return false;
  out.add(swirl.source(), sourceWeight(pb.GetFloat(pid::radius, t), pb.GetFloat(pid::swirlDensity, t), n),
          kSwirlGroup, n);
  appendPart(summary, "swirl " + std::to_string(n));
  return true;
}

const PlumeSim* InkEvaluation::plumeEngine(EvalMode mode) const {
  const auto& slot = modes_[static_cast<int>(mode)];
  return slot ? &slot->plume : nullptr;
}

bool InkEvaluation::addWater(IParamBlock2& pb, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                             std::string& summary, std::string& status) {
  namespace pid = param;
  const std::int64_t n = engineCount(pb.GetInt(mode == EvalMode::Render ? pid::plumeCount : pid::plumeViewport, t));
  if (!pb.GetInt(pid::plumeOn, t) || n <= 0) return true;
  const PlumeParams params = plumeRecord(pb, t, sceneTiming().fps, n);
  const ClothTriangles cloth = clothWall(pb, inkNode, t);
  ModeEngines& e = engines(mode);
  const std::uint64_t runsBefore = water_.run();
  if (!e.plume.configure(params, water_, cloth, status) || !e.plume.advance(secondsAt(t), status)) return false;
  out.add(e.plume.source(), sourceWeight(params.radius, pb.GetFloat(pid::plumeDensity, t), n), kWaterGroup, n);

  const float drag = pb.GetFloat(pid::plumeClothDrag, t);
  if (cloth && drag > 0.f && out.size() > 1) {
    const float frame = (secondsAt(t) - params.start) * params.fps;
    for (std::size_t i = 0; i < out.size(); ++i)
      if (out.group(i) == kSilkGroup) out.sources[i] = e.drift.wrap(std::move(out.sources[i]), water_, frame, drag);
  }
  char part[160];
  std::snprintf(part, sizeof part, "water ink %lld%s (water max speed %.1f, %.1f s, cloth wall %d cells)",
                static_cast<long long>(n), water_.run() != runsBefore ? " simulated now" : "",
                static_cast<double>(water_.maxSpeed()), water_.seconds(), water_.clothWallCells());
  appendPart(summary, part);
  return true;
}

bool InkEvaluation::addPrtInput(IParamBlock2& pb, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                                std::string& summary, std::string& status) {
  namespace pid = param;
  PrtInputRequest request;
  request.pattern = paramText(pb, pid::prtInFile, t);
  if (!pb.GetInt(pid::prtInOn, t) || request.pattern.empty()) return true;
  request.frame = t / sceneTiming().ticksPerFrame + pb.GetInt(pid::prtInFrameOffset, t);
  request.limit = pb.GetInt(mode == EvalMode::Render ? pid::prtInLimit : pid::prtInViewport, t);
  request.useColor = pb.GetInt(pid::prtInUseColor, t) != 0;
  request.world = pb.GetInt(pid::prtInWorld, t) != 0;
  if (request.world && inkNode) {
    const Matrix3 m = worldToInk(inkNode, t);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 3; ++c) request.matrix[3 * r + c] = m.GetRow(r)[c];
  }
  PrtInputStage& stage = engines(mode).prt;
  if (!stage.update(request, status)) return false;
  const std::int64_t m = stage.count();
  if (m > 0) {
    out.add(stage.input().source(), sourceWeight(pb.GetFloat(pid::radius, t), pb.GetFloat(pid::prtInDensity, t), m),
            kPrtGroup, m);
    appendPart(summary, "PRT " + std::to_string(m));
  }
  return true;
}

bool InkEvaluation::evaluate(IParamBlock2& pb, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                             std::string& status) {
  namespace pid = param;
  out.clear();
  std::string summary;
  try {
    if (pb.GetInt(pid::inkEnabled, t) && !addInk(pb, inkNode, t, mode, out, summary, status)) return false;
    const bool render = mode == EvalMode::Render;
    if (!addSilk(pb, inkNode, t, mode, out, summary, status) || !addSwirl(pb, inkNode, t, mode, out, summary, status))
      return false;
    if (!addWater(pb, inkNode, t, mode, out, summary, status)) return false;
    if (!addPrtInput(pb, inkNode, t, mode, out, summary, status)) return false;
    if (render) appendPart(summary, addAssemble(pb, inkNode, t, assemble_, out));
  } catch (const std::bad_alloc&) {
    status = "not enough system memory for the evaluation";
    out.clear();
    return false;
  }
  // A container that failed to build stays visible until a build succeeds.
  if (!container_.failure.empty() && out.has(kInkGroup)) appendPart(summary, container_.failure);
  status = summary.empty() ? "no particle group enabled" : summary;
  return !out.sources.empty();
}

std::vector<Point3> InkEvaluation::viewportParticles(IParamBlock2& pb, INode* inkNode, TimeValue t,
                                                     std::string& status) {
  EvaluatedSources sources;
  if (!evaluate(pb, inkNode, t, EvalMode::Viewport, sources, status)) return {};
  ModeEngines& e = engines(EvalMode::Viewport);
  std::vector<Point3> points;
  try {
    // Every group but water ink gathers from the assemble sources here too.
    const AssembleParams assemble = movingAssembleRecord(pb, inkNode, t);
    if (sources.has(kInkGroup)) {
      std::vector<orb::Vec> ink;
      if (!downloadInk(e.ink, e.ink.count(), ink, nullptr, status)) return {};
      points.reserve(ink.size() + static_cast<std::size_t>(e.prt.count()));
      for (const orb::Vec& p : ink) points.emplace_back(p.x, p.y, p.z);
      morphLastPoints(assemble, kInkGroup, points, ink.size());
    }
    std::vector<orb::Vec> more;
    const auto append = [&points, &more] {
      points.reserve(points.size() + more.size());
      for (const orb::Vec& p : more) points.emplace_back(p.x, p.y, p.z);
    };
    if (sources.has(kSilkGroup)) {
      if (!downloadSilk(e.silk, e.silk.count(), more, status)) return {};
      append();
      morphLastPoints(assemble, kSilkGroup, points, more.size());
    }
    if (sources.has(kSwirlGroup)) {
      if (!downloadSwirl(e.swirl, e.swirl.count(), more, status)) return {};
      append();
      morphLastPoints(assemble, kSwirlGroup, points, more.size());
    }
    if (sources.has(kPrtGroup)) {
      const std::vector<float>& xyz = e.prt.input().positions();
      for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) points.emplace_back(xyz[i], xyz[i + 1], xyz[i + 2]);
      morphLastPoints(assemble, kPrtGroup, points, xyz.size() / 3);
    }
    if (sources.has(kWaterGroup)) {
      if (!downloadPlume(e.plume, e.plume.count(), more, nullptr, status)) return {};
      append();
    }
  } catch (const std::bad_alloc&) {
    status = "not enough system memory for the viewport particles";
    return {};
  }
  return points;
}

}  // namespace ink
