#pragma once
// The part both warps' world-space modifiers share: references to the warp
// object (0) and its node (1) that never own them. The node and its object
// belong to the scene, so dropping the modifier must not delete them even
// when it was their last dependent.
#include "host/sdk/SpaceWarp.h"

class WarpMod : public SimpleWSMMod {
 public:
  WarpMod(INode* node, WSMObject* obj);
  ~WarpMod() override;
};
