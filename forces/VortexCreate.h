#pragma once
// Mouse creation of a Vortex Force: dragging sets the icon size and the
// sphere radius together.
#include "forces/WarpCreate.h"

class VortexCreate : public WarpCreate {
 public:
  VortexCreate();
};
