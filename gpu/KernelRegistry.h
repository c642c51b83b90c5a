#pragma once
// Kernel modules announce themselves when the plug-in library loads, so the
// load order can be checked and reported.
#include <string>
#include <vector>

namespace gpu {

void registerKernelModule(const char* name);
const std::vector<std::string>& registeredKernelModules();

}  // namespace gpu
