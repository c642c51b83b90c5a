#include "gpu/LaneLaunch.h"

namespace gpu {

// The same choice the loader's resolver makes for the packed loops' clones.
const char* vectorInstructionSet() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("x86-64-v4")) return "x86-64-v4 (AVX-512)";
  if (__builtin_cpu_supports("x86-64-v3")) return "x86-64-v3 (AVX2)";
  return "x86-64 (SSE2)";
}

}  // namespace gpu
