#pragma once
// Launch counts and times per kernel name, for benchmarks and `orbink info
// --verbose`. On the cpu backend a launch runs to completion inside forEach,
// so its time is the kernel's; the cuda backend launches asynchronously and
// counts launches only (the card's times are the profiler's).
#include <cstdint>
#include <string>
#include <vector>

namespace gpu {

struct KernelStats {
  std::string name;
  std::uint64_t launches = 0;
  double seconds = 0.0;
};

// Every kernel launched since the start or the last reset, in order of first launch.
std::vector<KernelStats> kernelStats();
void resetKernelStats();

namespace detail {
void recordLaunch(const char* name, double seconds);
}

}  // namespace gpu
