#pragma once
// Mouse creation shared by both space warps: the first click places the
// warp and starts the icon at size 1, dragging sizes it by the distance
// from the first point, the second click ends creation.
#include <vector>

#include "host/sdk/ParamTypes.h"
#include "host/sdk/Viewport.h"

class IParamBlock2;

class WarpCreate : public CreateMouseCallBack {
 public:
  void SetBlock(IParamBlock2* pb) { pb_ = pb; }
  int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) override;

 protected:
  // `sized`: the parameters that dragging sets, the icon size first.
  explicit WarpCreate(std::vector<ParamID> sized) : sized_(std::move(sized)) {}

 private:
  IParamBlock2* pb_ = nullptr;
  std::vector<ParamID> sized_;
  Point3 start_;
};
