#include <cstdlib>
#include <cstring>

#include "gpu/LaneLaunch.h"

namespace gpu {
namespace {

VectorLevel machineLevel() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("x86-64-v4")) return VectorLevel::V4;
  if (__builtin_cpu_supports("x86-64-v3")) return VectorLevel::V3;
  return VectorLevel::Baseline;
}

// The machine's level, capped by ORB_CPU_VECTOR_LEVEL when it names a lower one.
VectorLevel chosenLevel() {
  const VectorLevel machine = machineLevel();
  const char* cap = std::getenv("ORB_CPU_VECTOR_LEVEL");
  if (cap == nullptr) return machine;
  if (std::strcmp(cap, "x86-64") == 0) return VectorLevel::Baseline;
  if (std::strcmp(cap, "x86-64-v3") == 0 && machine == VectorLevel::V4) return VectorLevel::V3;
  return machine;
}

}  // namespace

namespace detail {
const VectorLevel chosenVectorLevel = chosenLevel();
}  // namespace detail

const char* vectorInstructionSet() {
  switch (vectorLevel()) {
    case VectorLevel::V4: return "x86-64-v4 (AVX-512)";
    case VectorLevel::V3: return "x86-64-v3 (AVX2)";
    case VectorLevel::Baseline: break;
  }
  return "x86-64 (SSE2)";
}

}  // namespace gpu
