#pragma once
// Lights as objects: the state a light evaluates to at a time (type,
// colour, intensity, on) for anything that lights its own renders.
#include "host/sdk/Object.h"
#include "host/sdk/Point3.h"

enum LightType { OMNI_LIGHT = 0, TSPOT_LIGHT = 1, DIR_LIGHT = 2, FSPOT_LIGHT = 3, TDIR_LIGHT = 4, AMBIENT_LIGHT = 5 };

struct LightState {
  LightType type = OMNI_LIGHT;
  Color color{1, 1, 1};
  float intens = 1;
  BOOL on = TRUE;
  float hotsize = 43;  // spot cone, degrees
  float fallsize = 45;
};

class LightObject : public Object {
 public:
  SClass_ID SuperClassID() override { return LIGHT_CLASS_ID; }
  // REF_SUCCEED with the state at t; `valid` narrows to where it holds.
  virtual RefResult EvalLightState(TimeValue t, Interval& valid, LightState* ls) = 0;
};
