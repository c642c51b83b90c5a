#pragma once
// The Particle Force as a particle system feels it: world-space force from
// the parameters and the node's transform, read at every call.
#include "host/sdk/SpaceWarp.h"

class OrbForceObject;

class OrbForceField : public ForceField {
 public:
  OrbForceField(OrbForceObject* obj, INode* node) : obj_(obj), node_(node) {}
  Point3 Force(TimeValue t, const Point3& pos, const Point3& vel, int index) override;
  void DeleteThis() override { delete this; }

 private:
  OrbForceObject* obj_;
  INode* node_;
};
