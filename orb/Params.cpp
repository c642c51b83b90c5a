#include "orb/Params.h"

#include "host/sdk/ParamBlock2.h"
#include "orb/OrbObject.h"
#include "orb/OrbParams.h"

namespace orb {

namespace {
namespace pid = orb::param;

// Each field with the parameter it comes from, in record order.
template <class Visit>
void forEachField(Params& p, Visit visit) {
  visit(p.radius, pid::radius);
  visit(p.hazeFill, pid::hazeFill);
  visit(p.shellThickness, pid::shellThickness);
  visit(p.clearance, pid::clearance);
  visit(p.veilCount, pid::veilCount);
  visit(p.veilRadius, pid::veilRadius);
  visit(p.veilSpan, pid::veilSpan);
  visit(p.veilWidth, pid::veilWidth);
  visit(p.veilLatitude, pid::veilLatitude);
  visit(p.veilTiltX, pid::veilTiltX);
  visit(p.veilTiltY, pid::veilTiltY);
  visit(p.veilTiltZ, pid::veilTiltZ);
  visit(p.pleatDepth, pid::pleatDepth);
  visit(p.pleatCount, pid::pleatCount);
  visit(p.thickness, pid::thickness);
  visit(p.thicknessVariation, pid::thicknessVariation);
  visit(p.edgeSoftness, pid::edgeSoftness);
  visit(p.wrinkleAmount, pid::wrinkleAmount);
  visit(p.wrinkleScale, pid::wrinkleScale);
  visit(p.seed, pid::seed);
  visit(p.loopSeconds, pid::loopSeconds);
  visit(p.speed, pid::speed);
  visit(p.phase, pid::phase);
  visit(p.motion, pid::motion);
  visit(p.reverse, pid::reverse);
  visit(p.freeze, pid::freeze);
  visit(p.stiffness, pid::stiffness);
  visit(p.bendStiffness, pid::bendStiffness);
  visit(p.damping, pid::damping);
  visit(p.restHold, pid::restHold);
  visit(p.gravity, pid::gravity);
  visit(p.wind, pid::wind);
  visit(p.waveAmplitude, pid::waveAmplitude);
  visit(p.waveCycles, pid::waveCycles);
  visit(p.waveSpeed, pid::waveSpeed);
  visit(p.waveSpread, pid::waveSpread);
  visit(p.selfCollision, pid::selfCollision);
  visit(p.selfCollisionDistance, pid::selfCollisionDistance);
  visit(p.anchor, pid::anchor);
  visit(p.slack, pid::slack);
  visit(p.substeps, pid::substeps);
  visit(p.simLength, pid::simLength);
  visit(p.simWidth, pid::simWidth);
  visit(p.viewportSegments, pid::viewportSegments);
  visit(p.renderSegments, pid::renderSegments);
  visit(p.useCUDA, pid::useCUDA);
  visit(p.showShell, pid::showShell);
  visit(p.showHaze, pid::showHaze);
  visit(p.showVeil, pid::showVeil);
}

struct FieldReader {
  IParamBlock2& block;
  TimeValue t;
  void operator()(float& field, ParamID id) const {
    Interval iv = FOREVER;
    block.GetValue(id, t, field, iv);
  }
  void operator()(std::int32_t& field, ParamID id) const {
    Interval iv = FOREVER;
    int v = field;
    if (block.GetValue(id, t, v, iv)) field = v;
  }
  void operator()(std::uint8_t& field, ParamID id) const {
    Interval iv = FOREVER;
    int v = field;
    if (block.GetValue(id, t, v, iv)) field = v != 0 ? 1 : 0;
  }
};

struct FieldDefault {
  const ParamBlockDesc2& desc;
  template <class T>
  void operator()(T& field, ParamID id) const {
    const ParamDef* def = desc.GetParamDef(id);
    field = def ? static_cast<T>(def->def.number) : T{};
  }
};

}  // namespace

Params defaultParams() {
  Params p{};
  forEachField(p, FieldDefault{*GetOrbParamBlockDesc()});
  return p;
}

Params readParams(IParamBlock2& block, TimeValue t) {
  Params p{};
  forEachField(p, FieldDefault{*block.GetDesc()});
  forEachField(p, FieldReader{block, t});
  return p;
}

}  // namespace orb
