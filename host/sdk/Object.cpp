#include "host/sdk/Object.h"

ReferenceTarget* TriObject::Clone(RemapDir& remap) {
  auto* copy = new TriObject();
  copy->mesh = mesh;
  BaseClone(this, copy, remap);
  return copy;
}

TriObject* CreateNewTriObject() { return new TriObject(); }
