#include "gpu/KernelStats.h"

#include <mutex>

namespace gpu {
namespace {

// A handful of kernels: a list searched by name beats a map here.
struct Registry {
  std::mutex mutex;
  std::vector<KernelStats> kernels;
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

void detail::recordLaunch(const char* name, double seconds) {
  if (name == nullptr) name = "(unnamed)";
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  for (KernelStats& k : r.kernels) {
    if (k.name == name) {
      ++k.launches;
      k.seconds += seconds;
      return;
    }
  }
  r.kernels.push_back({name, 1, seconds});
}

std::vector<KernelStats> kernelStats() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  return r.kernels;
}

void resetKernelStats() {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.kernels.clear();
}

}  // namespace gpu
