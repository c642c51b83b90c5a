#include "forces/WarpCreate.h"

#include <algorithm>

#include "host/sdk/ParamBlock2.h"

namespace {
constexpr float kMinSize = 0.01f;
}

int WarpCreate::proc(ViewExp* vpt, int msg, int point, int, IPoint2 m, Matrix3& mat) {
  if (!pb_ || !vpt || sized_.empty()) return CREATE_ABORT;
  if (msg == MOUSE_ABORT) return CREATE_ABORT;
  if (msg != MOUSE_POINT && msg != MOUSE_MOVE) return CREATE_CONTINUE;
  IPoint2 snapped;
  const Point3 p = vpt->SnapPoint(m, snapped, nullptr, SNAP_IN_3D);
  if (msg == MOUSE_POINT && point == 0) {
    start_ = p;
    mat.SetTrans(p);
    pb_->SetValue(sized_.front(), 0, 1.f);
    return CREATE_CONTINUE;
  }
  const float size = std::max((p - start_).Length(), kMinSize);
  for (ParamID id : sized_) pb_->SetValue(id, 0, size);
  return msg == MOUSE_POINT ? CREATE_STOP : CREATE_CONTINUE;
}
