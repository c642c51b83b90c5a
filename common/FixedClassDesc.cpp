#include "common/FixedClassDesc.h"

namespace common {

namespace {
HINSTANCE gModule = nullptr;
}

void* FixedClassDesc::Create(BOOL) { return create_(); }

HINSTANCE FixedClassDesc::HInstance() { return moduleHandle(); }

HINSTANCE moduleHandle() { return gModule; }

void recordModuleHandle(HINSTANCE module) { gModule = module; }

}  // namespace common
