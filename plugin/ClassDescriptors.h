#pragma once
// The library's five classes in the order the library hands them out. Each
// class declares its descriptor accessor beside itself; the plug-in frame
// only lists them here and fixes the load order (LibraryLoad.cpp).
#include "forces/OrbForceObject.h"
#include "forces/VortexObject.h"
#include "ink/InkObject.h"
#include "ink/material/InkMtl.h"
#include "orb/OrbObject.h"

namespace plugin {

// The class directory, in the order LibClassDesc hands it out.
inline constexpr ClassDesc2* (*kClassDirectory[])() = {GetOrbDesc, GetVortexDesc, GetOrbForceDesc, GetInkDesc,
                                                        GetInkMtlDesc};

}  // namespace plugin
