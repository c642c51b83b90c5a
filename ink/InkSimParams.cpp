#include "ink/InkSimParams.h"

#include "host/sdk/ParamBlock2.h"
#include "ink/InkParams.h"

namespace ink {

namespace {

struct BlockAt {
  IParamBlock2& block;
  TimeValue t;

  float number(ParamID id) const {
    float v = 0.f;
    Interval iv = FOREVER;
    block.GetValue(id, t, v, iv);
    return v;
  }
  std::int32_t integer(ParamID id) const {
    int v = 0;
    Interval iv = FOREVER;
    block.GetValue(id, t, v, iv);
    return v;
  }
  std::int32_t flag(ParamID id) const { return integer(id) != 0 ? 1 : 0; }
};

}  // namespace

Params inkSimParams(IParamBlock2& block, TimeValue t, float fps) {
  namespace pid = param;
  const BlockAt at{block, t};
  Params p{};
  p.radius = at.number(pid::radius);
  p.seed = at.integer(pid::seed);
  p.sheetAmount = at.number(pid::sheetAmount);
  p.shellAmount = at.number(pid::shellAmount);
  p.volumeAmount = at.number(pid::volumeAmount);
  p.meshAmount = at.number(pid::meshAmount);
  p.sheetCount = at.integer(pid::sheetCount);
  p.sheetSize = at.number(pid::sheetSize);
  p.sheetThickness = at.number(pid::sheetThickness);
  p.sheetWarp = at.number(pid::sheetWarp);
  p.blobAmount = at.number(pid::blobAmount);
  p.blobCount = at.integer(pid::blobCount);
  p.blobSize = at.number(pid::blobSize);
  p.fps = fps;
  p.substeps = at.integer(pid::substeps);
  p.loopSeconds = at.number(pid::loopSeconds);
  p.loop = at.flag(pid::loop);
  p.startTime = static_cast<float>(at.integer(pid::startFrame)) / fps;
  p.timeScale = at.number(pid::timeScale);
  p.curlStrength = at.number(pid::curlStrength);
  p.curlScale = at.number(pid::curlScale);
  p.curlOctaves = at.integer(pid::curlOctaves);
  p.curlEvolve = at.number(pid::curlEvolve);
  p.wallSoftness = at.number(pid::wallSoftness);
  p.spinAxis = {0.f, 0.f, 1.f};
  p.spin = at.number(pid::spin);
  return p;
}

}  // namespace ink
