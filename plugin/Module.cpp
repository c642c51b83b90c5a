#include "plugin/Module.h"

#include <dlfcn.h>

#include "common/FixedClassDesc.h"
#include "host/sdk/Module.h"
#include "host/sdk/StringTable.h"

BOOL DllMain(HINSTANCE hinstDLL, DWORD fdwReason, void*) {
  if (fdwReason == DLL_PROCESS_ATTACH) {
    common::recordModuleHandle(hinstDLL);
    DisableThreadLibraryCalls(hinstDLL);
  }
  return TRUE;
}

namespace plugin {

HINSTANCE moduleHandle() { return common::moduleHandle(); }

HINSTANCE loadedModuleHandle() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&loadedModuleHandle), &info) == 0) return nullptr;
  return info.dli_fbase;
}

const MCHAR* GetString(int id) {
  const MCHAR* s = host::resourceString(common::moduleHandle(), id);
  return s ? s : _M("");
}

}  // namespace plugin
