#include "plugin/Module.h"

#include <dlfcn.h>

#include "host/sdk/Module.h"
#include "host/sdk/StringTable.h"

namespace {
HINSTANCE gModule = nullptr;
}

BOOL DllMain(HINSTANCE hinstDLL, DWORD fdwReason, void*) {
  if (fdwReason == DLL_PROCESS_ATTACH) {
    gModule = hinstDLL;
    DisableThreadLibraryCalls(hinstDLL);
  }
  return TRUE;
}

namespace plugin {

HINSTANCE moduleHandle() { return gModule; }

HINSTANCE loadedModuleHandle() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&loadedModuleHandle), &info) == 0) return nullptr;
  return info.dli_fbase;
}

const MCHAR* GetString(int id) {
  const MCHAR* s = host::resourceString(gModule, id);
  return s ? s : _M("");
}

}  // namespace plugin
