#pragma once
// The scene's lights as the renderer sees them: directions towards each
// light in ink space and colours normalised to the ink's light level; and
// the default light's direction from the light-direction object.
#include <vector>

#include "host/sdk/Time.h"
#include "ink/render/RenderSettings.h"

class INode;
class IParamBlock2;

namespace ink {

constexpr std::size_t kMaxRenderLights = 8;

// With `useSceneLights` on: every light of the scene (depth first from the
// root; only those of `lightObjects` when that list is not empty) that can
// be evaluated, not ambient, and on unless listed; strongest (R + G + B)
// first, at most eight, colours scaled so that the largest component is
// `lightScale` × `lightIntensity`. Empty when no light gives any.
std::vector<RenderLight> gatherSceneLights(IParamBlock2& block, INode* inkNode, TimeValue t);

// The unit direction to `lightObject`'s node in ink space, or `fallback`
// without the node or when it sits within 1e-4 of the ink's origin.
orb::Vec defaultLightDirection(IParamBlock2& block, INode* inkNode, TimeValue t, orb::Vec fallback);

}  // namespace ink
