#include "ink/SwirlGathering.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "forces/VortexObject.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SimGathering.h"
#include "ink/sim/GpuContext.h"

namespace ink {

namespace {

// One frame per scene frame; a frame that cannot be sampled ends the track
// empty. False when the host cannot hold the track.
bool sampleTrack(INode* node, int first, int last, const SceneTiming& timing, std::vector<swirl::Frame>& frames) {
  const std::int64_t count = static_cast<std::int64_t>(last) - first + 1;
  frames.clear();
  try {
    if (!hostMemoryHolds(count * static_cast<std::int64_t>(sizeof(swirl::Frame)))) throw std::bad_alloc();
    frames.reserve(static_cast<std::size_t>(count));
    for (std::int64_t f = first; f <= last; ++f) {
      swirl::Frame frame{};
      Matrix3 tm;
      if (!sampleVortexForce(node, static_cast<TimeValue>(f * timing.ticksPerFrame), frame, tm)) {
        frames.clear();
        return true;
      }
      frames.push_back(frame);
    }
  } catch (const std::bad_alloc&) {
    frames = {};
    return false;
  } catch (const std::length_error&) {
    frames = {};
    return false;
  }
  return true;
}
}  // namespace

bool SampleSwirl(IParamBlock2& pb, INode* inkNode, TimeValue t, std::int64_t count, bool& rebuild, SwirlTrack& track,
                 SwirlParams& params, std::string& status) {
  namespace pid = param;
  INode* node = pb.GetINode(pid::swirlSource, t);
  swirl::Frame now{};
  Matrix3 nodeTM;
  if (!sampleVortexForce(node, t, now, nodeTM)) {
    status = "swirl: pick a Tessaron Orb Vortex Force object";
    return false;
  }
  const SceneTiming timing = sceneTiming();
  const int startFrame = pb.GetInt(pid::swirlStartFrame, t);
  if (rebuild) {
    const int last = std::max({startFrame, static_cast<int>(t / timing.ticksPerFrame), timing.animationEndFrame});
    track.startSeconds = static_cast<float>(startFrame) / timing.fps;
    if (!sampleTrack(node, startFrame, last, timing, track.frames)) {
      status = "not enough system memory for the swirl track (" +
               std::to_string(static_cast<std::int64_t>(last) - startFrame + 1) + " frames)";
      return false;
    }
    // An empty track is sampled again at the next evaluation.
    rebuild = track.frames.empty();
  }
  if (track.frames.empty()) {
    status = "swirl: could not sample the Vortex Force";
    return false;
  }
  const Matrix3 toInk = nodeTM * worldToInk(inkNode, t);
  SwirlParams p{};
  p.count = count;
  p.seedMix = static_cast<std::int32_t>(static_cast<std::uint32_t>(pb.GetInt(pid::seed, t)) * 747796405u + 5u);
  p.fps = timing.fps;
  p.substeps = pb.GetInt(pid::swirlSubsteps, t);
  p.startTime = track.startSeconds;
  p.timeUnit = pb.GetFloat(pid::swirlTimeUnit, t) / timing.fps;
  p.trackFrames = static_cast<std::int32_t>(std::min<std::size_t>(track.frames.size(), 0x7FFFFFFF));
  p.trackStart = track.startSeconds;
  p.seedRadius = track.frames.front().radius;
  for (int r = 0; r < 3; ++r) p.rows[r] = inkVec(toInk.GetRow(r));
  p.translation = inkVec(toInk.GetTrans());
  params = p;
  return true;
}

}  // namespace ink
