#include "forces/OrbForceField.h"

#include "forces/OrbForce.h"
#include "forces/OrbForceObject.h"
#include "host/sdk/Node.h"

Point3 OrbForceField::Force(TimeValue t, const Point3& pos, const Point3& vel, int index) {
  if (!obj_ || !obj_->pblock2) return {};
  const orbforce::OrbForceParams p = orbforce::readOrbForceParams(*obj_->pblock2, t);
  const Matrix3 tm = node_ ? node_->GetNodeTM(t) : Matrix3();
  const Point3 local =
      orbforce::localOrbForce(p, pos * Inverse(tm), index, static_cast<float>(t) / TIME_TICKSPERSEC);
  return VectorTransform(tm, local) - vel * p.drag;
}
