#pragma once
// The library's exported entry points, which the host calls once at load.
#include "host/sdk/ClassDesc2.h"

#define ORB_EXPORT extern "C" __attribute__((visibility("default")))

ORB_EXPORT const MCHAR* LibDescription();
ORB_EXPORT int LibNumberClasses();
ORB_EXPORT ClassDesc* LibClassDesc(int i);
ORB_EXPORT ULONG LibVersion();
ORB_EXPORT ULONG CanAutoDefer();

// The host's version constant for the 2024 SDK: release 26000 in the high
// 16 bits, API number 0x40, SDK revision 0.
constexpr ULONG kMaxRelease2024 = 26000;
constexpr ULONG kMaxApiNum2024 = 0x40;
constexpr ULONG VERSION_3DSMAX = (kMaxRelease2024 << 16) | (kMaxApiNum2024 << 8) | 0;
