#pragma once
// Built-in cameras and lights. A camera looks down its local -Z axis; a
// directional or spot light shines down its local -Z axis.
#include "host/sdk/Object.h"
#include "host/sdk/Track.h"

struct CameraState {
  float fov = 0;  // horizontal field of view, radians
};

class GenCamera : public Object {
 public:
  GenCamera();
  Class_ID ClassID() override;
  SClass_ID SuperClassID() override { return CAMERA_CLASS_ID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Camera"); }
  RefResult EvalCameraState(TimeValue t, Interval& valid, CameraState* cs);
  float GetFOV(TimeValue t, Interval* valid = nullptr) const;  // radians
  void SetFOV(TimeValue t, float radians);
  Track<float> fovDegrees;  // horizontal field of view in degrees, 45 by default
};

enum LightType { OMNI_LIGHT = 0, TSPOT_LIGHT = 1, DIR_LIGHT = 2, FSPOT_LIGHT = 3, TDIR_LIGHT = 4, AMBIENT_LIGHT = 5 };

struct LightState {
  LightType type = OMNI_LIGHT;
  Color color{1, 1, 1};
  float intens = 1;
  BOOL on = TRUE;
  float hotsize = 43;   // spot cone, degrees
  float fallsize = 45;
};

class GenLight : public Object {
 public:
  explicit GenLight(LightType type = OMNI_LIGHT) : type(type) {}
  Class_ID ClassID() override;
  SClass_ID SuperClassID() override { return LIGHT_CLASS_ID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Light"); }
  RefResult EvalLightState(TimeValue t, Interval& valid, LightState* ls);
  LightType type;
  Track<Point3> color{Point3(1.f, 1.f, 1.f)};
  Track<float> intensity{1.f};
  bool on = true;
  float hotsize = 43, fallsize = 45;
};
