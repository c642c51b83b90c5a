#include "orb/OrbCreateCallBack.h"

#include <algorithm>

#include "orb/OrbObject.h"

namespace {
constexpr float kMinRadius = 0.01f;
}

int OrbCreateCallBack::proc(ViewExp* vpt, int msg, int point, int, IPoint2 m, Matrix3& mat) {
  if (!orb_ || !vpt) return CREATE_ABORT;
  if (msg == MOUSE_ABORT) return CREATE_ABORT;
  if (msg != MOUSE_POINT && msg != MOUSE_MOVE) return CREATE_CONTINUE;
  IPoint2 snapped;
  const Point3 p = vpt->SnapPoint(m, snapped, nullptr, SNAP_IN_3D);
  if (msg == MOUSE_POINT && point == 0) {
    centre_ = p;
    mat.SetTrans(p);
    orb_->pblock2->SetValue(orb::param::radius, 0, kMinRadius);
    return CREATE_CONTINUE;
  }
  orb_->pblock2->SetValue(orb::param::radius, 0, std::max((p - centre_).Length(), kMinRadius));
  return msg == MOUSE_POINT ? CREATE_STOP : CREATE_CONTINUE;
}
