#include "host/sdk/Object.h"

ReferenceTarget* TriObject::Clone(RemapDir& remap) {
  auto* copy = new TriObject();
  copy->mesh = mesh;
  BaseClone(this, copy, remap);
  return copy;
}

TriObject* CreateNewTriObject() { return new TriObject(); }

void SimpleObject2::UpdateMesh(TimeValue t) {
  if (!ivalid.InInterval(t)) BuildMesh(t);
}

ObjectState SimpleObject2::Eval(TimeValue t) {
  UpdateMesh(t);
  return ObjectState(this);
}

Interval SimpleObject2::ObjectValidity(TimeValue t) {
  UpdateMesh(t);
  return ivalid;
}

Object* SimpleObject2::ConvertToType(TimeValue t, Class_ID obtype) {
  if (obtype != triObjectClassID) return nullptr;
  UpdateMesh(t);
  TriObject* tri = CreateNewTriObject();
  tri->mesh = mesh;
  return tri;
}
