#pragma once
// Debugger output. The host sends it to the debugger; the stand-in keeps it
// in a sink that tests and the runner can read.
#include "host/sdk/Types.h"

void OutputDebugString(const MCHAR* text);

namespace host {
std::wstring debugOutput();
void clearDebugOutput();
}  // namespace host
