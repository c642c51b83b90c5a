#include "plugin/EntryPoints.h"

#include "plugin/ClassDescriptors.h"

namespace {
// The class directory, in the order LibClassDesc hands it out.
ClassDesc2* (*const kDirectory[])() = {GetOrbDesc, GetVortexDesc, GetOrbForceDesc, GetInkDesc, GetInkMtlDesc};
constexpr int kClassCount = static_cast<int>(sizeof(kDirectory) / sizeof(kDirectory[0]));
}  // namespace

const MCHAR* LibDescription() { return _M("Tessaron Iridel 0.3 - glass orb with silk veil (Max 2024)"); }

int LibNumberClasses() { return kClassCount; }

ClassDesc* LibClassDesc(int i) { return i >= 0 && i < kClassCount ? kDirectory[i]() : nullptr; }

ULONG LibVersion() { return VERSION_3DSMAX; }

// The host must load the library at start-up, not on first use.
ULONG CanAutoDefer() { return 0; }
