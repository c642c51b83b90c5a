// What loading the library does, in this order: every class descriptor
// followed by the interface and parameter-block descriptors that register
// with it, then the kernel modules, then the module entry and its string
// resources. Descriptors are built on first use, so this sequence alone fixes
// the order regardless of how the linker orders translation units.
#include "gpu/KernelRegistry.h"
#include "host/sdk/LoadLog.h"
#include "plugin/ClassDescriptors.h"
#include "plugin/Module.h"
#include "plugin/Resources.h"

namespace {

void registerKernelModule(const char* name) {
  gpu::registerKernelModule(name);
  host::recordLoad(host::LoadItem::KernelModule, nullptr, name);
}

struct LibraryLoad {
  LibraryLoad() {
    GetOrbDesc();
    GetIridelInterfaceDesc();
    GetOrbParamBlockDesc();

    GetVortexDesc();
    GetVortexParamBlockDesc();

    GetOrbForceDesc();
    GetOrbForceParamBlockDesc();

    GetInkDesc();
    GetOrbInkInterfaceDesc();
    GetInkParamBlockDesc();

    GetInkMtlDesc();
    GetInkMtlParamBlockDesc();

    registerKernelModule("orb cloth");
    registerKernelModule("ink");

    HINSTANCE module = plugin::loadedModuleHandle();
    DllMain(module, DLL_PROCESS_ATTACH, nullptr);
    plugin::registerResources(module);
  }
};

const LibraryLoad gLibraryLoad;

}  // namespace
