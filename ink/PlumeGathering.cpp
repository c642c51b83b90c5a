#include "ink/PlumeGathering.h"

#include <cmath>
#include <string>
#include <vector>

#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SilkGathering.h"

namespace ink {

PlumeParams plumeRecord(IParamBlock2& pb, TimeValue t, float fps, std::int64_t count) {
  namespace pid = param;
  const float radius = pb.GetFloat(pid::radius, t);
  const int startFrame = pb.GetInt(pid::plumeStart, t), endFrame = pb.GetInt(pid::plumeEnd, t);
  PlumeParams p{};
  p.radius = radius;
  p.resolution = pb.GetInt(pid::plumeRes, t);
  p.fps = fps;
  p.start = static_cast<float>(startFrame) / fps;
  p.end = static_cast<float>(std::max(endFrame, startFrame + 1)) / fps;
  p.sourceCentre = orb::Vec{pb.GetFloat(pid::plumeSrcX, t), pb.GetFloat(pid::plumeSrcY, t),
                            pb.GetFloat(pid::plumeSrcZ, t)} * radius;
  p.sourceRadius = pb.GetFloat(pid::plumeSrcSize, t) * radius;
  p.emitSeconds = pb.GetFloat(pid::plumeEmit, t);
  p.sink = pb.GetFloat(pid::plumeSink, t);
  p.push = pb.GetFloat(pid::plumePush, t);
  p.billow = pb.GetFloat(pid::plumeBillow, t);
  p.swirl = pb.GetFloat(pid::plumeSwirl, t);
  p.count = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, 2147483647));
  p.seedMix = static_cast<std::int32_t>(7u - static_cast<std::uint32_t>(pb.GetInt(pid::seed, t)) * 1640531535u);
  p.substeps = kPlumeSubsteps;
  return p;
}

ClothTriangles clothWall(IParamBlock2& pb, INode* inkNode, TimeValue t) {
  namespace pid = param;
  if (!pb.GetINode(pid::silkSource, t) || !pb.GetInt(pid::plumeCloth, t)) return {};
  return [&pb, inkNode](float seconds, std::vector<float>& out) {
    const auto at = static_cast<TimeValue>(std::lround(static_cast<double>(seconds) * TIME_TICKSPERSEC));
    SilkParams ignored{};
    std::vector<SilkTri> cloth;
    std::string status;
    if (!SampleSilk(pb, inkNode, at, 0, ignored, cloth, status)) return false;
    out.clear();
    out.reserve(9 * cloth.size());
    for (const SilkTri& tri : cloth)
      for (const orb::Vec& q : {tri.q0, tri.q1, tri.q2}) out.insert(out.end(), {q.x, q.y, q.z});
    return true;
  };
}

}  // namespace ink
