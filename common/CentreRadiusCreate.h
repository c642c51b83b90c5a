#pragma once
// Mouse creation by centre and radius, as for a sphere: the first click
// places the object's centre, dragging sizes it by the distance from that
// point (never below a least size), the second point ends creation and an
// abort aborts. Sizes are written at time 0.
// Each creatable class keeps one instance and points it at the block of the
// object being created when it hands it out.
#include <optional>
#include <utility>
#include <vector>

#include "host/sdk/ParamTypes.h"
#include "host/sdk/Viewport.h"

class IParamBlock2;

// What creation sets on one class's block.
struct CentreRadiusSizing {
  std::vector<ParamID> sized;  // all set to the dragged size; never empty
  float minimum = 0;           // the least size dragging gives
  // When set, the first click gives sized.front() this value, so the object
  // shows at a size of its own before the drag starts.
  std::optional<float> placed;
};

class CentreRadiusCreate : public CreateMouseCallBack {
 public:
  explicit CentreRadiusCreate(CentreRadiusSizing sizing) : sizing_(std::move(sizing)) {}

  // Points the callback at the block of the object being created and hands
  // it out. A null block aborts creation.
  CreateMouseCallBack* For(IParamBlock2* pb) {
    pb_ = pb;
    return this;
  }
  int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) override;

 private:
  CentreRadiusSizing sizing_;
  IParamBlock2* pb_ = nullptr;
  Point3 centre_;
};
