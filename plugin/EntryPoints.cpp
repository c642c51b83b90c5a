#include "plugin/EntryPoints.h"

#include <iterator>

#include "plugin/ClassDescriptors.h"

namespace {
constexpr int kClassCount = static_cast<int>(std::size(plugin::kClassDirectory));
}  // namespace

const MCHAR* LibDescription() { return _M("Tessaron Iridel 0.3 - glass orb with silk veil (Max 2024)"); }

int LibNumberClasses() { return kClassCount; }

ClassDesc* LibClassDesc(int i) { return i >= 0 && i < kClassCount ? plugin::kClassDirectory[i]() : nullptr; }

ULONG LibVersion() { return VERSION_3DSMAX; }

// The host must load the library at start-up, not on first use.
ULONG CanAutoDefer() { return 0; }
