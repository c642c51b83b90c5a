#include "ink/AssembleEvaluation.h"

#include <algorithm>

#include "gpu/HostParallel.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/AssembleGathering.h"
#include "ink/InkEvaluation.h"
#include "ink/InkParams.h"
#include "ink/sim/AssembleMorph.h"
#include "util/Format.h"

namespace ink {

AssembleParams movingAssembleRecord(IParamBlock2& pb, INode* inkNode, TimeValue t) {
  namespace pid = param;
  if (!pb.GetInt(pid::assembleOn, t) || !(pb.GetFloat(pid::assembleProgress, t) < 1.f)) return {};
  return assembleRecord(pb, inkNode, t);
}

std::string addAssemble(IParamBlock2& pb, INode* inkNode, TimeValue t, AssembleStage& stage,
                        EvaluatedSources& sources) {
  if (sources.size() == 0) return {};
  const AssembleParams record = movingAssembleRecord(pb, inkNode, t);
  if (!record.on) return {};
  for (std::size_t i = 0; i < sources.size(); ++i)
    sources.sources[i] = stage.wrap(std::move(sources.sources[i]), record, sources.idBases[i]);
  return util::formatted("assemble %.2f", record.progress);
}

void morphLastPoints(const AssembleParams& params, int group, std::vector<Point3>& points, std::size_t count) {
  if (!assembleMoves(params)) return;
  count = std::min(count, points.size());
  const auto base = static_cast<std::uint64_t>(groupIdBase(group));
  Point3* first = points.data() + (points.size() - count);
  // Each point is independent, so the host's pool shares them out.
  gpu::hostParallelFor(static_cast<std::int64_t>(count), [&](std::int64_t begin, std::int64_t end) {
    for (std::int64_t i = begin; i < end; ++i) {
      const orb::Vec p = assembleMorph(params, inkVec(first[i]), base + static_cast<std::uint64_t>(i));
      first[i] = Point3(p.x, p.y, p.z);
    }
  });
}

}  // namespace ink
