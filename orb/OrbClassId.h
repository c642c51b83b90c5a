#pragma once
// The glass orb's class id, for code that recognises orbs in a scene (whose
// veils are the faces of orb::kVeilFront and orb::kVeilBack).
#include "host/sdk/ClassIDs.h"

inline constexpr Class_ID kOrbClassId{0x5B7E2C91, 0x3FA8D4E6};
