#pragma once
// Mouse creation of an ink object, like a sphere: the first point places
// the centre, dragging sets the radius, the second point ends creation.
#include "host/sdk/Viewport.h"

class InkObject;

class InkCreate : public CreateMouseCallBack {
 public:
  void SetObj(InkObject* obj) { ink_ = obj; }
  int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) override;

  // The one instance every ink object hands out, pointed at the object
  // being created.
  static InkCreate* instance();

 private:
  InkObject* ink_ = nullptr;
  Point3 centre_;
};
