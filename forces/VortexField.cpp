#include "forces/VortexField.h"

#include "forces/VortexObject.h"

Point3 VortexField::Force(TimeValue t, const Point3& pos, const Point3& vel, int index) {
  if (!obj_) return {};
  const auto state = obj_->EvaluateAt(node_, t);
  const Point3 local = vortex::localVortexForce(state->set, pos * state->inverseNodeTM, index,
                                                static_cast<float>(t) / TIME_TICKSPERSEC);
  return VectorTransform(state->nodeTM, local) * state->eval.responseScale - vel * state->eval.drag;
}
