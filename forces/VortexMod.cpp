#include "forces/VortexMod.h"

#include "forces/VortexObject.h"
#include "host/sdk/Node.h"

VortexMod::VortexMod(INode* node, VortexObject* obj) : WarpMod(node, obj) {}

const MCHAR* VortexMod::GetObjectName(bool) const { return _M("Tessaron Orb Vortex Force Binding"); }

Deformer& VortexMod::GetDeformer(TimeValue, TriObject&, Matrix3&, Matrix3&) {
  static VortexDeformer deformer;
  return deformer;
}

ReferenceTarget* VortexMod::Clone(RemapDir& remap) {
  auto* copy = new VortexMod(nodeRef, dynamic_cast<VortexObject*>(obRef));
  BaseClone(this, copy, remap);
  return copy;
}
