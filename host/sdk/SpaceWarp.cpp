#include "host/sdk/SpaceWarp.h"

#include "host/sdk/Node.h"

RefTargetHandle SimpleWSMMod::GetReference(int i) {
  if (i == 0) return obRef;
  if (i == 1) return nodeRef;
  return nullptr;
}

void SimpleWSMMod::SetReference(int i, RefTargetHandle target) {
  if (i == 0) obRef = dynamic_cast<WSMObject*>(target);
  if (i == 1) nodeRef = dynamic_cast<INode*>(target);
}

void SimpleWSMMod::ModifyObject(TimeValue t, TriObject& tri) {
  Matrix3 mat, invmat;
  if (nodeRef) {
    mat = nodeRef->GetObjectTM(t);
    invmat = Inverse(mat);
  }
  Deformer& d = GetDeformer(t, tri, mat, invmat);
  for (int i = 0; i < tri.mesh.getNumVerts(); ++i) tri.mesh.verts[i] = d.Map(i, tri.mesh.verts[i]);
  tri.mesh.InvalidateGeomCache();
}
