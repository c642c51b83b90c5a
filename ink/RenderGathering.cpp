#include "ink/RenderGathering.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "host/sdk/CameraObject.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/Types.h"
#include "ink/AssembleGathering.h"
#include "ink/InkEvaluation.h"
#include "ink/InkParams.h"
#include "ink/InkSimParams.h"
#include "ink/LightGathering.h"
#include "ink/RenderParamsGathering.h"
#include "ink/SceneTriangleGathering.h"
#include "ink/SimGathering.h"

namespace ink {

namespace {
// The half-size the frame's particles can reach (the renderer takes at
// least the radius): assembling particles travel beyond the orb, PRT input
// and containers may lie outside it.
float sceneExtent(IParamBlock2& pb, TimeValue t, const AssembleParams& assemble, const InkEvaluation& evaluation) {
  float extent = 0.f;
  if (assemble.on && assemble.progress < 1.f)
    extent = (std::fabs(assemble.arc) + 2.f * assemble.noise) * assemble.radius + assembleShapesReach(assemble) + 1.f;
  const PrtInputStage* prt = evaluation.prtStage(EvalMode::Render);
  if (pb.GetInt(param::prtInOn, t) && prt && prt->count() > 0) extent = std::max(extent, 1.02f * prt->extent());
  if (evaluation.container().inUse) extent = std::max(extent, 1.02f * evaluation.container().grid.largestCoordinate());
  return extent;
}
}  // namespace

bool RenderGathering::gather(IParamBlock2& pb, INode* inkNode, TimeValue t, int width, int height,
                             const InkEvaluation& evaluation, const EvaluatedSources* sources, RenderSettings& out,
                             std::string& status) {
  RenderSettings s;
  s.width = width;
  s.height = height;
  readRenderParams(pb, t, s);
  try {
    s.lightDirection = defaultLightDirection(pb, inkNode, t, s.lightDirection);
    lights_ = gatherSceneLights(pb, inkNode, t);
    scene_ = gatherSceneTriangles(pb, inkNode, t);
    mattes_ = gatherMatteTriangles(pb, inkNode, t);
    colourMap_ = bakeInkColourMap(pb, t);
    applyParticleMaterial(pb, t, s, colourMap_);
    hdri_.update(paramText(pb, param::envFile, t));
    groups_.clear();
    idBases_.clear();
    if (sources)
      for (std::size_t i = 0; i < sources->size(); ++i) {
        groups_.push_back(sources->group(i));
        idBases_.push_back(static_cast<std::uint64_t>(sources->idBases[i]));
      }
  } catch (const std::bad_alloc&) {
    status = "not enough system memory for the scene records";
    return false;
  }
  s.lightCount = static_cast<std::int32_t>(lights_.size());
  s.lights = lights_.empty() ? nullptr : lights_.data();
  s.sceneTriangles = scene_.empty() ? nullptr : scene_.data();
  s.sceneTriangleCount = static_cast<std::int64_t>(scene_.size());
  s.matteTriangles = mattes_.empty() ? nullptr : mattes_.data();
  s.matteTriangleCount = static_cast<std::int64_t>(mattes_.size());
  useColourMap(colourMap_, s);
  if (hdri_.loaded()) {
    s.hdri = hdri_.pixels();
    s.hdriWidth = hdri_.width();
    s.hdriHeight = hdri_.height();
  }
  s.sourceCount = static_cast<std::int32_t>(groups_.size());
  s.sourceGroups = groups_.empty() ? nullptr : groups_.data();
  s.sourceIdBases = idBases_.empty() ? nullptr : idBases_.data();
  s.assemble = assembleRecord(pb, inkNode, t);
  s.frameRate = static_cast<float>(GetCOREInterface()->GetFrameRate());
  s.inkParams = inkSimParams(pb, t, s.frameRate);
  s.sceneExtent = sceneExtent(pb, t, s.assemble, evaluation);
  if (evaluation.container().inUse) s.glass = false;
  out = s;
  return true;
}

std::optional<float> cameraFieldOfView(INode* camera, TimeValue t) {
  if (!camera) return std::nullopt;
  Object* obj = camera->EvalWorldState(t).obj;
  auto* cam = obj && obj->SuperClassID() == CAMERA_CLASS_ID ? dynamic_cast<CameraObject*>(obj) : nullptr;
  CameraState state;
  Interval valid = FOREVER;
  if (!cam || cam->EvalCameraState(t, valid, &state) != REF_SUCCEED) return std::nullopt;
  return state.fov;
}

}  // namespace ink
