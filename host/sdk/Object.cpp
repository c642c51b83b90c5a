#include "host/sdk/Object.h"

ReferenceTarget* TriObject::Clone(RemapDir& remap) {
  auto* copy = new TriObject();
  copy->mesh = mesh;
  BaseClone(this, copy, remap);
  return copy;
}

TriObject* CreateNewTriObject() { return new TriObject(); }

void Object::GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm, BOOL) {
  box.Init();
  if (!CanConvertToType(triObjectClassID)) return;
  Object* converted = ConvertToType(t, triObjectClassID);
  if (auto* tri = dynamic_cast<TriObject*>(converted))
    for (const Point3& p : tri->mesh.verts) box += tm ? p * *tm : p;
  if (converted && converted != this) converted->DeleteThis();
}
