#include "host/runtime/CameraLight.h"

#include "util/Math.h"

namespace {
using util::kDegToRad;
constexpr Class_ID kCameraClassID{0x4f5b1b01, 0x2d81a3e7};
// One class per light type (the type added to part A), so the class id alone
// tells the type.
constexpr ULONG kLightClassIdA = 0x4f5b1c00;
constexpr ULONG kLightClassIdB = 0x2d81a3e7;
}  // namespace

GenCamera::GenCamera() : fovDegrees(45.f) {}

Class_ID GenCamera::ClassID() { return kCameraClassID; }

RefResult GenCamera::EvalCameraState(TimeValue t, Interval& valid, CameraState* cs) {
  if (!cs) return REF_FAIL;
  cs->fov = GetFOV(t, &valid);
  return REF_SUCCEED;
}

float GenCamera::GetFOV(TimeValue t, Interval* valid) const { return fovDegrees.Value(t, valid) * kDegToRad; }

// Keys the field of view when it is animated, else sets the constant.
void GenCamera::SetFOV(TimeValue t, float radians) {
  const float degrees = radians / kDegToRad;
  if (fovDegrees.KeyCount() > 0)
    fovDegrees.SetKey(t, degrees);
  else
    fovDegrees.SetConstant(degrees);
}

Class_ID GenLight::ClassID() { return Class_ID(kLightClassIdA + static_cast<ULONG>(type), kLightClassIdB); }

RefResult GenLight::EvalLightState(TimeValue t, Interval& valid, LightState* ls) {
  if (!ls) return REF_FAIL;
  ls->type = type;
  ls->color = Color(color.Value(t, &valid));
  ls->intens = intensity.Value(t, &valid);
  ls->on = on ? TRUE : FALSE;
  ls->hotsize = hotsize;
  ls->fallsize = fallsize;
  return REF_SUCCEED;
}
