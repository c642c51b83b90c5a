#pragma once
// Atomic updates usable from kernel bodies on both backends.
#include <atomic>

#include "gpu/Config.h"

namespace gpu {

ORB_HD inline float atomicAdd(float* address, float value) {
#if defined(__CUDA_ARCH__)
  return ::atomicAdd(address, value);
#else
  return std::atomic_ref<float>(*address).fetch_add(value, std::memory_order_relaxed);
#endif
}

ORB_HD inline int atomicMin(int* address, int value) {
#if defined(__CUDA_ARCH__)
  return ::atomicMin(address, value);
#else
  std::atomic_ref<int> ref(*address);
  int old = ref.load(std::memory_order_relaxed);
  while (value < old && !ref.compare_exchange_weak(old, value, std::memory_order_relaxed)) {
  }
  return old;
#endif
}

ORB_HD inline int atomicMax(int* address, int value) {
#if defined(__CUDA_ARCH__)
  return ::atomicMax(address, value);
#else
  std::atomic_ref<int> ref(*address);
  int old = ref.load(std::memory_order_relaxed);
  while (value > old && !ref.compare_exchange_weak(old, value, std::memory_order_relaxed)) {
  }
  return old;
#endif
}

ORB_HD inline int atomicAdd(int* address, int value) {
#if defined(__CUDA_ARCH__)
  return ::atomicAdd(address, value);
#else
  return std::atomic_ref<int>(*address).fetch_add(value, std::memory_order_relaxed);
#endif
}

}  // namespace gpu
