#pragma once
// Cameras as objects: the state a camera evaluates to at a time, for
// anything that renders its own view through a scene camera.
#include "host/sdk/Object.h"

struct CameraState {
  float fov = 0;  // horizontal field of view, radians
};

class CameraObject : public Object {
 public:
  SClass_ID SuperClassID() override { return CAMERA_CLASS_ID; }
  // REF_SUCCEED with the state at t; `valid` narrows to where it holds.
  virtual RefResult EvalCameraState(TimeValue t, Interval& valid, CameraState* cs) = 0;
};
