#pragma once
// The Vortex Force as a particle system feels it: world-space force from
// the warp's cached state at the time.
#include "host/sdk/SpaceWarp.h"

class VortexObject;

class VortexField : public ForceField {
 public:
  VortexField(VortexObject* obj, INode* node) : obj_(obj), node_(node) {}
  Point3 Force(TimeValue t, const Point3& pos, const Point3& vel, int index) override;
  void DeleteThis() override { delete this; }

 private:
  VortexObject* obj_;
  INode* node_;
};
