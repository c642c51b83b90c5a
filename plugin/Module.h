#pragma once
// The library's module: its handle, recorded when the process attaches, and
// its string resources.
#include "host/sdk/Types.h"

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

namespace plugin {
// The handle recorded at attach (null before).
HINSTANCE moduleHandle();
// A string of the library's string table; an empty string when missing.
const MCHAR* GetString(int id);
// The handle the loader gives this library.
HINSTANCE loadedModuleHandle();
}  // namespace plugin

// The module entry: on attach records the handle and turns off thread
// notifications; nothing else.
BOOL DllMain(HINSTANCE hinstDLL, DWORD fdwReason, void* lpvReserved);
