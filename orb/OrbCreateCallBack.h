#pragma once
// Mouse creation of an orb: the first click places the centre, dragging sets
// the radius, releasing ends creation.
#include "host/sdk/Viewport.h"

class OrbObject;

class OrbCreateCallBack : public CreateMouseCallBack {
 public:
  void SetObj(OrbObject* obj) { orb_ = obj; }
  int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) override;

 private:
  OrbObject* orb_ = nullptr;
  Point3 centre_;
};
