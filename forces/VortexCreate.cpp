#include "forces/VortexCreate.h"

#include "forces/VortexParams.h"

VortexCreate::VortexCreate() : WarpCreate({vortex::param::iconSize, vortex::param::radius}) {}
