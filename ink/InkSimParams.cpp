#include "ink/InkSimParams.h"

#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"

namespace ink {

Params inkSimParams(IParamBlock2& block, TimeValue t, float fps) {
  namespace pid = param;
  const auto number = [&](ParamID id) { return block.GetFloat(id, t); };
  const auto integer = [&](ParamID id) { return static_cast<std::int32_t>(block.GetInt(id, t)); };
  Params p{};
  p.radius = number(pid::radius);
  p.seed = integer(pid::seed);
  p.sheetAmount = number(pid::sheetAmount);
  p.shellAmount = number(pid::shellAmount);
  p.volumeAmount = number(pid::volumeAmount);
  p.meshAmount = number(pid::meshAmount);
  p.sheetCount = integer(pid::sheetCount);
  p.sheetSize = number(pid::sheetSize);
  p.sheetThickness = number(pid::sheetThickness);
  p.sheetWarp = number(pid::sheetWarp);
  p.blobAmount = number(pid::blobAmount);
  p.blobCount = integer(pid::blobCount);
  p.blobSize = number(pid::blobSize);
  p.fps = fps;
  p.substeps = integer(pid::substeps);
  p.loopSeconds = number(pid::loopSeconds);
  p.loop = integer(pid::loop) != 0 ? 1 : 0;
  p.startTime = static_cast<float>(integer(pid::startFrame)) / fps;
  p.timeScale = number(pid::timeScale);
  p.curlStrength = number(pid::curlStrength);
  p.curlScale = number(pid::curlScale);
  p.curlOctaves = integer(pid::curlOctaves);
  p.curlEvolve = number(pid::curlEvolve);
  p.wallSoftness = number(pid::wallSoftness);
  p.spinAxis = {0.f, 0.f, 1.f};
  p.spin = number(pid::spin);
  return p;
}

}  // namespace ink
