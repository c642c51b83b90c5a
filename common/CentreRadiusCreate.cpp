#include "common/CentreRadiusCreate.h"

#include <algorithm>

#include "host/sdk/ParamBlock2.h"

int CentreRadiusCreate::proc(ViewExp* vpt, int msg, int point, int, IPoint2 m, Matrix3& mat) {
  if (msg == MOUSE_ABORT) return CREATE_ABORT;
  if (!pb_ || !vpt || sizing_.sized.empty()) return CREATE_ABORT;
  if (msg != MOUSE_POINT && msg != MOUSE_MOVE) return CREATE_CONTINUE;
  IPoint2 snapped;
  const Point3 p = vpt->SnapPoint(m, snapped, nullptr, SNAP_IN_3D);
  if (msg == MOUSE_POINT && point == 0) {
    centre_ = p;
    mat.SetTrans(p);
    if (sizing_.placed) pb_->SetValue(sizing_.sized.front(), 0, *sizing_.placed);
    return CREATE_CONTINUE;
  }
  const float size = std::max((p - centre_).Length(), sizing_.minimum);
  for (ParamID id : sizing_.sized) pb_->SetValue(id, 0, size);
  return msg == MOUSE_POINT ? CREATE_STOP : CREATE_CONTINUE;
}
