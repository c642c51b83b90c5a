#include "forces/OrbForceObject.h"

#include "common/CentreRadiusCreate.h"
#include "common/FixedClassDesc.h"
#include "forces/OrbForce.h"
#include "host/sdk/Node.h"

const WarpClass OrbForceObject::kClass = {
    .classDesc = GetOrbForceDesc,
    .blockDesc = GetOrbForceParamBlockDesc,
    .bindingClassID = ORBFORCE_MOD_CLASS_ID,
    .bindingName = _M("Tessaron Orb Particle Force Binding"),
};

// The first click starts the icon at size 1, dragging sets the icon size;
// the radius keeps its default.
CreateMouseCallBack* OrbForceObject::GetCreateMouseCallBack() {
  static CentreRadiusCreate callback({.sized = {orbforce::param::iconSize}, .minimum = 0.01f, .placed = 1.f});
  return callback.For(pblock2);
}

void OrbForceObject::BuildMesh(TimeValue t) {
  ivalid.SetInstant(t);
  forces::buildWarpIcon(mesh, pblock2->GetFloat(orbforce::param::iconSize, t));
}

Point3 OrbForceObject::WorldForce(INode* node, TimeValue t, const Point3& pos, const Point3& vel, int index) {
  if (!pblock2) return {};
  const orbforce::OrbForceParams p = orbforce::readOrbForceParams(*pblock2, t);
  const Matrix3 tm = node ? node->GetNodeTM(t) : Matrix3();
  const Point3 local =
      orbforce::localOrbForce(p, pos * Inverse(tm), index, static_cast<float>(t) / TIME_TICKSPERSEC);
  return VectorTransform(tm, local) - vel * p.drag;
}

ClassDesc2* GetOrbForceDesc() {
  return common::classDescOf<OrbForceObject>(
      {_M("Tessaron Orb Particle Force"), _M("TessaronOrbParticleForce"), _M("TessaronFX"),
       WSM_OBJECT_CLASS_ID, Class_ID(0x7A2E9F44, 0xD1C56B89)});
}
