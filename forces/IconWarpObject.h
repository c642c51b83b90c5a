#pragma once
// A space warp whose icon is its mesh: the icon is rebuilt when its
// validity runs out and is offered as a triangle mesh, so that viewports and
// the runner show it like any other object.
#include "host/sdk/SpaceWarp.h"

class IconWarpObject : public SimpleWSMObject {
 public:
  void UpdateMesh(TimeValue t);
  ObjectState Eval(TimeValue t) override;
  Interval ObjectValidity(TimeValue t) override;
  int CanConvertToType(Class_ID obtype) override { return obtype == triObjectClassID; }
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  // The node this warp sits on, or null.
  INode* OwnNode() const;
};
