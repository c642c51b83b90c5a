#include "forces/OrbForceCreate.h"

#include "forces/OrbForceParams.h"

OrbForceCreate::OrbForceCreate() : WarpCreate({orbforce::param::iconSize}) {}
