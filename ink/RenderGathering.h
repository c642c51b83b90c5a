#pragma once
// GatherRender: everything the renderer takes from the scene for one frame,
// as a fresh RenderSettings whose records (lights, triangles, maps, the
// environment) this object keeps until the next gathering.
#include <optional>
#include <string>
#include <vector>

#include "host/sdk/Time.h"
#include "ink/HdriCache.h"
#include "ink/MaterialGathering.h"
#include "ink/render/RenderSettings.h"

class INode;
class IParamBlock2;

namespace ink {

class InkEvaluation;
struct EvaluatedSources;

class RenderGathering {
 public:
  // Fills `out` from a freshly constructed record at t and the given size:
  // every parameter field, the default light's direction, the scene lights,
  // scene and matte triangles, the colour map and the particle material,
  // the environment, the assemble record, the frame's ink record and the
  // scene extent (the evaluation's render-mode PRT input and container; a
  // container switches the glass off). With `sources`, their groups and id
  // bases. False with a one-line status when the host cannot hold the
  // records.
  bool gather(IParamBlock2& block, INode* inkNode, TimeValue t, int width, int height, const InkEvaluation& evaluation,
              const EvaluatedSources* sources, RenderSettings& out, std::string& status);

  const std::vector<RenderLight>& lights() const { return lights_; }
  const std::vector<SceneTriangle>& sceneTriangles() const { return scene_; }
  const std::vector<MatteTriangle>& matteTriangles() const { return mattes_; }

 private:
  std::vector<RenderLight> lights_;
  std::vector<SceneTriangle> scene_;
  std::vector<MatteTriangle> mattes_;
  BakedMap colourMap_;
  HdriCache hdri_;
  std::vector<std::int32_t> groups_;
  std::vector<std::uint64_t> idBases_;
};

// The horizontal field of view of a camera node's camera at t, when the node
// holds one.
std::optional<float> cameraFieldOfView(INode* camera, TimeValue t);

}  // namespace ink
