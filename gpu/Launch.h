#pragma once
// Kernel launches: forEach runs body(i) for every i in [0, count), one thread
// per item, 256 threads per block on the cuda backend and a thread pool on the
// cpu backend. Bodies are ORB_HD callables (lambdas) taking std::int64_t.
#include <cstdint>
#include <functional>

#include "gpu/Config.h"
#include "gpu/Device.h"
#include "gpu/KernelStats.h"

namespace gpu {

constexpr int kThreadsPerBlock = 256;

namespace detail {
Status launchStatus();  // reads and records the error of this thread's latest launch
}

#if defined(ORB_GPU_BACKEND_CUDA) && defined(__CUDACC__)

template <class Body>
__global__ void forEachKernel(Body body, std::int64_t count) {
  std::int64_t i = static_cast<std::int64_t>(blockIdx.x) * blockDim.x + threadIdx.x;
  if (i < count) body(i);
}

// `name` labels the launch in the per-kernel counts (gpu/KernelStats.h).
// Threads sets the block size where a kernel wants another than 256.
template <int Threads = kThreadsPerBlock, class Body>
Status forEach(const char* name, std::int64_t count, Body body, Stream stream = nullptr) {
  if (count <= 0) return Success;
  detail::recordLaunch(name, 0.0);
  const std::int64_t blocks = (count + Threads - 1) / Threads;
  forEachKernel<<<static_cast<unsigned>(blocks), Threads, 0,
                  reinterpret_cast<cudaStream_t>(stream)>>>(body, count);
  return detail::launchStatus();
}

#elif !defined(ORB_GPU_BACKEND_CUDA)

namespace detail {
// Runs range(begin, end) over disjoint slices of [0, count) on the pool,
// waits for all of them and counts the launch under `name`.
void parallelFor(const char* name, std::int64_t count, const std::function<void(std::int64_t, std::int64_t)>& range);
}

// `name` labels the launch in the per-kernel counts and times (gpu/KernelStats.h).
// The block size means nothing here.
template <int Threads = kThreadsPerBlock, class Body>
Status forEach(const char* name, std::int64_t count, Body body, Stream stream = nullptr) {
  (void)stream;
  if (count <= 0) return Success;
  detail::parallelFor(name, count, [&body](std::int64_t begin, std::int64_t end) {
    for (std::int64_t i = begin; i < end; ++i) body(i);
  });
  return detail::launchStatus();
}

#endif

}  // namespace gpu
