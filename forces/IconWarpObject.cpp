#include "forces/IconWarpObject.h"

#include "host/sdk/Node.h"

void IconWarpObject::UpdateMesh(TimeValue t) {
  if (!ivalid.InInterval(t)) BuildMesh(t);
}

ObjectState IconWarpObject::Eval(TimeValue t) {
  UpdateMesh(t);
  return ObjectState(this);
}

Interval IconWarpObject::ObjectValidity(TimeValue t) {
  UpdateMesh(t);
  return ivalid;
}

Object* IconWarpObject::ConvertToType(TimeValue t, Class_ID obtype) {
  if (obtype != triObjectClassID) return nullptr;
  UpdateMesh(t);
  TriObject* tri = CreateNewTriObject();
  tri->mesh = mesh;
  return tri;
}

INode* IconWarpObject::OwnNode() const {
  for (ReferenceMaker* d : Dependents()) {
    auto* node = dynamic_cast<INode*>(d);
    if (node && node->GetObjectRef() == this) return node;
  }
  return nullptr;
}
