#pragma once
// What the water-ink source takes from the scene: its record, and the
// silk's cloth at any time as a wall in the water.
#include <cstdint>

#include "host/sdk/Time.h"
#include "ink/sim/PlumeRecords.h"
#include "ink/sim/PlumeWater.h"

class INode;
class IParamBlock2;

namespace ink {

// The record for `count` particles at t, the range and rates at `fps`.
PlumeParams plumeRecord(IParamBlock2& block, TimeValue t, float fps, std::int64_t count);

// The `silkSource` node's surface triangles in ink space at any time, when
// the silk source is set and `plumeCloth` is on at t; else none. The
// provider refers to `block` and `inkNode` and is used while they live.
ClothTriangles clothWall(IParamBlock2& block, INode* inkNode, TimeValue t);

}  // namespace ink
