#pragma once
// Mouse creation of a Particle Force: dragging sets the icon size; the
// radius keeps its default.
#include "forces/WarpCreate.h"

class OrbForceCreate : public WarpCreate {
 public:
  OrbForceCreate();
};
