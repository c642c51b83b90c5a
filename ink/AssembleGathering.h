#pragma once
// The assemble record at a time: the morph settings and the target shapes
// (the assemble sources' bounding boxes in ink space, as boxes or
// ellipsoids).
#include "host/sdk/Time.h"
#include "ink/sim/AssembleParams.h"

class INode;
class IParamBlock2;

namespace ink {

// Every field from its parameter; the shapes from `assembleSource1` and
// `assembleSource2` in that order, skipping nodes without a box. A node
// holding the host's sphere or a glass orb is filled as an ellipsoid,
// anything else as its box.
AssembleParams assembleRecord(IParamBlock2& block, INode* inkNode, TimeValue t);

// The largest absolute coordinate of the shapes' box corners (ink space).
float assembleShapesReach(const AssembleParams& record);

}  // namespace ink
