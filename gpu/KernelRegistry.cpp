#include "gpu/KernelRegistry.h"

namespace gpu {
namespace {

// Created on first use, so modules registering from static initialisers in
// any translation unit find it ready.
std::vector<std::string>& moduleLog() {
  static std::vector<std::string> log;
  return log;
}

}  // namespace

void registerKernelModule(const char* name) {
  if (name == nullptr) return;  // nothing to report for an unnamed module
  moduleLog().emplace_back(name);
}

const std::vector<std::string>& registeredKernelModules() { return moduleLog(); }

}  // namespace gpu
