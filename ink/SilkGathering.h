#pragma once
// What the silk source takes from the scene: the cloth's triangles in ink
// space with their texture coordinates, and the silk record.
#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/Time.h"
#include "ink/sim/SilkRecords.h"

class INode;
class IParamBlock2;

namespace ink {

// The `silkSource` node's faces at t in ink space (of a glass orb only its
// veil faces, material ids 2 and 3), each with its map-channel-1 corners or
// (0, 0), (1, 0), (0, 1) without texture faces, and the record for `count`
// particles. False with "silk: pick a cloth source (an Iridel object or a UV
// mesh)" without a node or a triangle; the outputs are then left as they were.
bool SampleSilk(IParamBlock2& block, INode* inkNode, TimeValue t, std::int64_t count, SilkParams& params,
                std::vector<SilkTri>& triangles, std::string& status);

}  // namespace ink
