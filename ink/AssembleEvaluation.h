#pragma once
// The evaluation's assemble step: in render mode every evaluated source is
// wrapped so that its particles gather from the assemble source objects; in
// the viewport the same morph runs on the host over the downloaded points.
#include <cstddef>
#include <string>
#include <vector>

#include "host/sdk/Point3.h"
#include "host/sdk/Time.h"
#include "ink/sim/AssembleParams.h"
#include "ink/sim/AssembleStage.h"

class INode;
class IParamBlock2;

namespace ink {

struct EvaluatedSources;

// The assemble record at t when `assembleOn` is set and `assembleProgress`
// is below 1; otherwise an empty record, which moves nothing, gathered
// without evaluating the source objects.
AssembleParams movingAssembleRecord(IParamBlock2& block, INode* inkNode, TimeValue t);

// When `assembleOn` is set and `assembleProgress` is below 1, replaces every
// source of the list (whatever its group) by the stage's wrapper around it,
// tagged with the source's id base, and returns the summary part
// "assemble %.2f"; otherwise, or when the list is empty, changes nothing and
// returns an empty part.
std::string addAssemble(IParamBlock2& block, INode* inkNode, TimeValue t, AssembleStage& stage,
                        EvaluatedSources& sources);

// Moves the last `count` points, particles 0 … count − 1 of `group`, through
// the morph exactly as the kernel moves them.
void morphLastPoints(const AssembleParams& params, int group, std::vector<Point3>& points, std::size_t count);

}  // namespace ink
