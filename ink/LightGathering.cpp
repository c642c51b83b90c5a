#include "ink/LightGathering.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "host/sdk/Interface.h"
#include "host/sdk/LightObject.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"
#include "ink/SimGathering.h"

namespace ink {

namespace {

bool listed(IParamBlock2& pb, TimeValue t, INode* node) {
  for (int k = 0; k < pb.Count(param::lightObjects); ++k)
    if (pb.GetINode(param::lightObjects, t, k) == node) return true;
  return false;
}

void visitDepthFirst(INode* node, const std::function<void(INode*)>& visit) {
  if (!node) return;
  visit(node);
  for (int c = 0; c < node->NumberOfChildren(); ++c) visitDepthFirst(node->GetChildNode(c), visit);
}

// The light a node holds at t, when it is one that lights the ink.
bool lightOf(INode* node, TimeValue t, bool isListed, bool filtered, const Matrix3& toInk, RenderLight& out) {
  if (filtered && !isListed) return false;
  // Only nodes that hold a light are evaluated: evaluating every node would
  // simulate particle systems, this ink among them, for nothing.
  Object* held = node->GetObjectRef();
  if (!held || held->SuperClassID() != LIGHT_CLASS_ID) return false;
  Object* obj = node->EvalWorldState(t).obj;
  auto* light = obj && obj->SuperClassID() == LIGHT_CLASS_ID ? dynamic_cast<LightObject*>(obj) : nullptr;
  LightState state;
  Interval valid = FOREVER;
  if (!light || light->EvalLightState(t, valid, &state) != REF_SUCCEED) return false;
  if (state.type == AMBIENT_LIGHT || (!state.on && !isListed)) return false;
  const Matrix3 local = node->GetNodeTM(t) * toInk;
  const bool directional = state.type == DIR_LIGHT || state.type == TDIR_LIGHT;
  const orb::Vec towards = inkVec(directional ? local.GetRow(2) : local.GetTrans());
  const float length = util::length(towards);
  if (!(length >= 1e-6f)) return false;
  out.direction = towards * (1.f / length);
  out.colour = orb::Vec{state.color.r, state.color.g, state.color.b} * std::max(state.intens, 0.f);
  return true;
}
}  // namespace

std::vector<RenderLight> gatherSceneLights(IParamBlock2& pb, INode* inkNode, TimeValue t) {
  std::vector<RenderLight> lights;
  if (!pb.GetInt(param::useSceneLights, t)) return lights;
  const Matrix3 toInk = worldToInk(inkNode, t);
  const bool filtered = pb.Count(param::lightObjects) > 0;
  visitDepthFirst(GetCOREInterface()->GetRootNode(), [&](INode* node) {
    RenderLight light;
    if (lightOf(node, t, listed(pb, t, node), filtered, toInk, light)) lights.push_back(light);
  });
  const auto strength = [](const RenderLight& l) { return l.colour.x + l.colour.y + l.colour.z; };
  std::stable_sort(lights.begin(), lights.end(),
                   [&](const RenderLight& a, const RenderLight& b) { return strength(a) > strength(b); });
  if (lights.size() > kMaxRenderLights) lights.resize(kMaxRenderLights);
  float largest = 0.f;
  for (const RenderLight& l : lights) largest = std::max({largest, l.colour.x, l.colour.y, l.colour.z});
  if (!(largest > 0.f)) return {};
  const float scale = pb.GetFloat(param::lightScale, t) * pb.GetFloat(param::lightIntensity, t) / largest;
  for (RenderLight& l : lights) l.colour = l.colour * scale;
  return lights;
}

orb::Vec defaultLightDirection(IParamBlock2& pb, INode* inkNode, TimeValue t, orb::Vec fallback) {
  INode* node = pb.GetINode(param::lightObject, t);
  if (!node) return fallback;
  const orb::Vec p = inkVec(node->GetNodeTM(t).GetTrans() * worldToInk(inkNode, t));
  const float length = util::length(p);
  return length > 1e-4f ? p * (1.f / length) : fallback;
}

}  // namespace ink
