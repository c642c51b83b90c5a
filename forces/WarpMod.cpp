#include "forces/WarpMod.h"

#include "host/sdk/Node.h"

WarpMod::WarpMod(INode* node, WSMObject* obj) {
  ReplaceReference(0, obj);
  ReplaceReference(1, node);
}

WarpMod::~WarpMod() {
  ReplaceReference(0, nullptr, FALSE);
  ReplaceReference(1, nullptr, FALSE);
}
