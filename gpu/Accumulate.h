#pragma once
// Launches whose bodies only add into a few float buffers (splats into an
// image). The body takes (i, const Accumulator&) and adds through the
// accumulator, so one kernel source serves both backends:
//  - cuda: every add is an atomic float addition into the buffer itself;
//  - cpu: float atomics are a compare-and-swap loop there, and random
//    deposits from several threads fight over cache lines, so each pool
//    thread but the first adds plainly into a private copy of the buffers,
//    and the copies are summed into the buffers after the launch. When the
//    copies cannot be held (or the launch is too small to pay for the sum)
//    the threads share the buffers with atomic adds instead.
// Either way the sums differ from a serial loop only by float rounding.
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "gpu/Atomics.h"
#include "gpu/Config.h"
#include "gpu/Launch.h"

namespace gpu {

constexpr int kAccumulatorTargets = 2;

// The buffers an accumulating launch adds into; an unused slot has no data.
struct AccumulatorTargets {
  float* data[kAccumulatorTargets] = {};
  std::int64_t floats[kAccumulatorTargets] = {};
};

class Accumulator {
 public:
  ORB_HD Accumulator(float* first, float* second, bool shared) : base_{first, second}, shared_(shared) {}

  // Adds value to element `index` of target `target`.
  ORB_HD void add(int target, std::int64_t index, float value) const {
#if defined(__CUDA_ARCH__)
    ::atomicAdd(base_[target] + index, value);
#else
    float* address = base_[target] + index;
    if (shared_)
      gpu::atomicAdd(address, value);
    else
      *address += value;
#endif
  }

 private:
  float* base_[kAccumulatorTargets];
  bool shared_;  // threads share these buffers: adds must be atomic
};

#if defined(ORB_GPU_BACKEND_CUDA) && defined(__CUDACC__)

template <class Body>
__global__ void accumulateKernel(Body body, Accumulator accumulator, std::int64_t count) {
  std::int64_t i = static_cast<std::int64_t>(blockIdx.x) * blockDim.x + threadIdx.x;
  if (i < count) body(i, accumulator);
}

template <class Body>
Status forEachAccumulating(const char* name, std::int64_t count, const AccumulatorTargets& targets, Body body) {
  if (count <= 0) return Success;
  detail::recordLaunch(name, 0.0);
  const std::int64_t blocks = (count + kThreadsPerBlock - 1) / kThreadsPerBlock;
  accumulateKernel<<<static_cast<unsigned>(blocks), kThreadsPerBlock>>>(
      body, Accumulator(targets.data[0], targets.data[1], true), count);
  return detail::launchStatus();
}

// As forEachAccumulating; `key(i)` (below `buckets`) says which items add
// near each other, and `prefetch(i)` touches what item i will read. The card
// needs neither; the cpu backend runs the items bucket by bucket so that
// their adds and reads stay in cache, prefetching the items a few places
// ahead, whose reads are scattered by the reordering.
template <class Key, class Body, class Prefetch>
Status forEachAccumulatingGrouped(const char* name, std::int64_t count, const AccumulatorTargets& targets,
                                  std::uint32_t buckets, Key key, Body body, Prefetch prefetch) {
  (void)buckets;
  (void)key;
  (void)prefetch;
  return forEachAccumulating(name, count, targets, body);
}

#elif !defined(ORB_GPU_BACKEND_CUDA)

namespace detail {
using AccumulatingRange = std::function<void(const Accumulator&, std::int64_t begin, std::int64_t end)>;
// Runs range over disjoint slices of [0, count), each with the accumulator
// its thread adds through, merges the private copies and counts the launch.
void accumulatingFor(const char* name, std::int64_t count, const AccumulatorTargets& targets,
                     const AccumulatingRange& range);
// The items [0, count) ordered by key (a stable counting sort; keys at or
// above `buckets` count as the last bucket) in a buffer kept between
// launches; the order is valid while the lock it returns is held. Null when
// the order cannot be held.
struct GroupedOrder {
  std::unique_lock<std::mutex> lock;
  const std::int64_t* order = nullptr;
};
GroupedOrder groupByKey(std::int64_t count, std::uint32_t buckets,
                        const std::function<std::uint32_t(std::int64_t)>& key);
// Items a grouped launch prefetches ahead of the one it runs.
constexpr std::int64_t kPrefetchDistance = 8;
}  // namespace detail

template <class Body>
Status forEachAccumulating(const char* name, std::int64_t count, const AccumulatorTargets& targets, Body body) {
  if (count <= 0) return Success;
  detail::accumulatingFor(name, count, targets,
                          [&body](const Accumulator& accumulator, std::int64_t begin, std::int64_t end) {
                            for (std::int64_t i = begin; i < end; ++i) body(i, accumulator);
                          });
  return detail::launchStatus();
}

template <class Key, class Body, class Prefetch>
Status forEachAccumulatingGrouped(const char* name, std::int64_t count, const AccumulatorTargets& targets,
                                  std::uint32_t buckets, Key key, Body body, Prefetch prefetch) {
  if (count <= 0) return Success;
  const detail::GroupedOrder grouped =
      detail::groupByKey(count, buckets, [&key](std::int64_t i) { return static_cast<std::uint32_t>(key(i)); });
  if (!grouped.order) return forEachAccumulating(name, count, targets, body);
  const std::int64_t* order = grouped.order;
  detail::accumulatingFor(name, count, targets,
                          [&](const Accumulator& accumulator, std::int64_t begin, std::int64_t end) {
                            for (std::int64_t j = begin; j < end; ++j) {
                              if (j + detail::kPrefetchDistance < end) prefetch(order[j + detail::kPrefetchDistance]);
                              body(order[j], accumulator);
                            }
                          });
  return detail::launchStatus();
}

#endif

}  // namespace gpu
