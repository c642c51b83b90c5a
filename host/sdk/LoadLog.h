#pragma once
// Records the order in which a loading library builds its static descriptors
// and registers its kernels, so the order can be checked.
#include <string>
#include <vector>

namespace host {

enum class LoadItem { ClassDescriptor, ParamBlockDescriptor, InterfaceDescriptor, KernelModule };

struct LoadRecord {
  LoadItem kind;
  const void* object;  // the descriptor, or null for kernel modules
  std::string name;    // block or interface internal name, kernel module name
};

void recordLoad(LoadItem kind, const void* object, std::string name);
const std::vector<LoadRecord>& loadRecords();

}  // namespace host
