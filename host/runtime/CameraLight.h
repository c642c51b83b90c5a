#pragma once
// Built-in cameras and lights. A camera looks down its local -Z axis; a
// directional or spot light shines down its local -Z axis.
#include "host/sdk/CameraObject.h"
#include "host/sdk/LightObject.h"
#include "host/sdk/Object.h"
#include "host/sdk/Track.h"

class GenCamera : public CameraObject {
 public:
  GenCamera();
  Class_ID ClassID() override;
  const MCHAR* GetObjectName(bool = true) const override { return _M("Camera"); }
  RefResult EvalCameraState(TimeValue t, Interval& valid, CameraState* cs) override;
  float GetFOV(TimeValue t, Interval* valid = nullptr) const;  // radians
  void SetFOV(TimeValue t, float radians);
  Track<float> fovDegrees;  // horizontal field of view in degrees, 45 by default
};

class GenLight : public LightObject {
 public:
  explicit GenLight(LightType type = OMNI_LIGHT) : type(type) {}
  Class_ID ClassID() override;
  const MCHAR* GetObjectName(bool = true) const override { return _M("Light"); }
  RefResult EvalLightState(TimeValue t, Interval& valid, LightState* ls) override;
  LightType type;
  Track<Point3> color{Point3(1.f, 1.f, 1.f)};
  Track<float> intensity{1.f};
  bool on = true;
  float hotsize = 43, fallsize = 45;
};
