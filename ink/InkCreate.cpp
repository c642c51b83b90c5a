#include "ink/InkCreate.h"

#include <algorithm>

#include "ink/InkObject.h"
#include "ink/InkParams.h"

namespace {
constexpr float kMinRadius = 0.1f;
}

int InkCreate::proc(ViewExp* vpt, int msg, int point, int, IPoint2 m, Matrix3& mat) {
  if (msg == MOUSE_ABORT) return CREATE_ABORT;
  if (!ink_ || !vpt) return CREATE_ABORT;
  if (msg != MOUSE_POINT && msg != MOUSE_MOVE) return CREATE_CONTINUE;
  IPoint2 snapped;
  const Point3 p = vpt->SnapPoint(m, snapped, nullptr, SNAP_IN_3D);
  if (msg == MOUSE_POINT && point == 0) {
    centre_ = p;
    mat.SetTrans(p);
    return CREATE_CONTINUE;
  }
  ink_->pblock2->SetValue(ink::param::radius, 0, std::max((p - centre_).Length(), kMinRadius));
  return msg == MOUSE_POINT ? CREATE_STOP : CREATE_CONTINUE;
}

InkCreate* InkCreate::instance() {
  static InkCreate callback;
  return &callback;
}
