#include "forces/OrbForceMod.h"

#include "forces/OrbForceObject.h"

OrbForceMod::OrbForceMod(INode* node, OrbForceObject* obj) : WarpMod(node, obj) {}

const MCHAR* OrbForceMod::GetObjectName(bool) const { return _M("Tessaron Orb Particle Force Binding"); }

Deformer& OrbForceMod::GetDeformer(TimeValue, TriObject&, Matrix3&, Matrix3&) {
  static OrbForceDeformer deformer;
  return deformer;
}

ReferenceTarget* OrbForceMod::Clone(RemapDir& remap) {
  auto* copy = new OrbForceMod(nodeRef, dynamic_cast<OrbForceObject*>(obRef));
  BaseClone(this, copy, remap);
  return copy;
}
