#pragma once
// Scene geometry the renderer shades or holds out, as ink-space triangles:
// scene objects and shadow catchers with their colours, mattes and
// occluders.
#include <vector>

#include "host/sdk/Time.h"
#include "ink/render/RenderRecords.h"

class INode;
class IParamBlock2;

namespace ink {

constexpr std::size_t kMaxSceneTriangles = 4000000;
constexpr std::size_t kMaxMatteTriangles = 4000000;

// `sceneObjects` (kind 0) then `shadowCatchers` (kind 1), hidden nodes
// skipped, glass orbs by their veil faces only; colour from the node's
// material (per face of a multi-material by material id modulo its count),
// else its wire colour. At most 4,000,000 triangles.
std::vector<SceneTriangle> gatherSceneTriangles(IParamBlock2& block, INode* inkNode, TimeValue t);

// `matteObjects` (kind 1) then `occluderObjects` (kind 0), hidden nodes
// skipped. At most 4,000,000 triangles.
std::vector<MatteTriangle> gatherMatteTriangles(IParamBlock2& block, INode* inkNode, TimeValue t);

}  // namespace ink
