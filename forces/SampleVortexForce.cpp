#include "forces/SampleVortexForce.h"

#include "forces/VortexObject.h"
#include "host/sdk/Node.h"

bool sampleVortexForce(INode* node, TimeValue t, swirl::Frame& frame, Matrix3& nodeTM) {
  if (!node) return false;
  Object* obj = node->GetObjectRef();
  if (!obj || obj->ClassID() != VORTEX_CLASS_ID) return false;
  auto* warp = dynamic_cast<VortexObject*>(obj);
  if (!warp || !warp->pblock2) return false;
  const Matrix3 tm = node->GetNodeTM(t);
  vortex::VortexEval e;
  vortex::readVortexEval(*warp->pblock2, t, Inverse(tm), e);
  vortex::fillSwirlFrame(e, frame);
  nodeTM = tm;
  return true;
}
