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
#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <type_traits>
#include <vector>

#include "gpu/Atomics.h"
#include "gpu/Config.h"
#include "gpu/LaneLaunch.h"
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

  // Adds values[0] … values[N - 1] to elements index … index + N - 1 of
  // target `target`: one add per element, as N calls of add() make them, but
  // a plain run of adds becomes a few vector ones.
  template <int N>
  ORB_HD void addRun(int target, std::int64_t index, const float (&values)[N]) const {
    float* address = base_[target] + index;
#if defined(__CUDA_ARCH__)
    for (int k = 0; k < N; ++k) ::atomicAdd(address + k, values[k]);
#else
    if (shared_) {
      for (int k = 0; k < N; ++k) gpu::atomicAdd(address + k, values[k]);
    } else {
      for (int k = 0; k < N; ++k) address[k] += values[k];
    }
#endif
  }

 private:
  float* base_[kAccumulatorTargets];
  bool shared_;  // threads share these buffers: adds must be atomic
};

// An array a grouped launch's body reads once per item: the launch may hand
// back a copy in the order it runs the items.
struct ReorderedArray {
  const void** items;
  std::int32_t elementBytes;
};
template <class T>
ReorderedArray reordered(const T*& items) {
  return {reinterpret_cast<const void**>(&items), static_cast<std::int32_t>(sizeof(T))};
}

// Calls body(i, i, accumulator): the slot of an item launched in its own order.
template <class Body>
struct InItemOrder {
  Body body;
  ORB_HD void operator()(std::int64_t i, const Accumulator& accumulator) const { body(i, i, accumulator); }
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

// An accumulating launch whose items run grouped by `key(i)` (below
// `buckets`): items of one key add near each other. The card needs no help:
// the items run in their own order and reorder() leaves the arrays as they
// are. The cpu backend runs them bucket by bucket so that their adds and
// reads stay in cache, and reorder() replaces each array by a copy in that
// order, so the body reads it in sequence. The body takes (slot, item,
// accumulator): `slot` indexes the reordered arrays, `item` is the item's
// own index.
template <class Key>
class GroupedLaunch {
 public:
  GroupedLaunch(const char* name, std::int64_t count, std::uint32_t buckets, Key key)
      : name_(name), count_(count) {
    (void)buckets;
    (void)key;
  }
  void reorder(std::initializer_list<ReorderedArray> arrays) { (void)arrays; }
  template <class Body>
  Status run(const AccumulatorTargets& targets, Body body) {
    return forEachAccumulating(name_, count_, targets, InItemOrder<Body>{body});
  }
  // One item per thread here: the body's per-item form.
  template <class Body>
  Status runLanes(const AccumulatorTargets& targets, Body body) {
    return run(targets, body);
  }

 private:
  const char* name_;
  std::int64_t count_;
};

#elif !defined(ORB_GPU_BACKEND_CUDA)

namespace detail {
using AccumulatingRange = std::function<void(const Accumulator&, std::int64_t begin, std::int64_t end)>;
// Runs range over disjoint slices of [0, count), each with the accumulator
// its thread adds through, merges the private copies and counts the launch.
void accumulatingFor(const char* name, std::int64_t count, const AccumulatorTargets& targets,
                     const AccumulatingRange& range);
// The items [0, count) ordered by key (a stable counting sort; keys at or
// above `buckets` count as the last bucket): order[slot] is the item at a
// slot, rank[item] its slot. The buffers are kept between launches and are
// valid while the lock is held; null when they cannot be held.
struct GroupedOrder {
  std::unique_lock<std::mutex> lock;
  const std::int64_t* order = nullptr;
  const std::int64_t* rank = nullptr;
};
// keys(begin, end, out) writes the keys of items begin … end - 1 to
// out[begin] … out[end - 1].
using KeyRange = std::function<void(std::int64_t begin, std::int64_t end, std::uint32_t* out)>;
GroupedOrder groupByKey(std::int64_t count, std::uint32_t buckets, const KeyRange& keys);
// Copies every array into slot order (kept buffers, used under the order's
// lock) and points it at its copy; false, with every array left as it was,
// when the copies cannot be held.
bool reorderArrays(const GroupedOrder& grouped, std::int64_t count, std::initializer_list<ReorderedArray> arrays);
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

template <class Key>
class GroupedLaunch {
 public:
  GroupedLaunch(const char* name, std::int64_t count, std::uint32_t buckets, Key key)
      : name_(name),
        count_(count),
        grouped_(count > 0 ? detail::groupByKey(count, buckets, keyRange(key)) : detail::GroupedOrder{}) {}

  // Without room for the copies the items run in their own order instead.
  void reorder(std::initializer_list<ReorderedArray> arrays) {
    if (grouped_.order && !detail::reorderArrays(grouped_, count_, arrays)) grouped_.order = nullptr;
  }

  template <class Body>
  Status run(const AccumulatorTargets& targets, Body body) {
    if (count_ <= 0) return Success;
    if (!grouped_.order) return forEachAccumulating(name_, count_, targets, InItemOrder<Body>{body});
    const std::int64_t* order = grouped_.order;
    detail::accumulatingFor(name_, count_, targets,
                            [&](const Accumulator& accumulator, std::int64_t begin, std::int64_t end) {
                              for (std::int64_t slot = begin; slot < end; ++slot) body(slot, order[slot], accumulator);
                            });
    return detail::launchStatus();
  }

  // The keys of a range of items: a pack at a time, at the process's vector
  // level, when the key also takes a run of items (key(LaneItems) giving
  // util::lanes::Uints), else one at a time.
  static detail::KeyRange keyRange(const Key& key) {
    return [&key](std::int64_t begin, std::int64_t end, std::uint32_t* out) {
      if constexpr (std::is_invocable_v<const Key&, LaneItems>) {
        atVectorLevel([&]() __attribute__((always_inline)) {
          for (std::int64_t i = begin; i < end; i += util::lanes::kLanes) {
            const auto n = static_cast<int>(std::min<std::int64_t>(util::lanes::kLanes, end - i));
            const util::lanes::Uints k = key(LaneItems{i, n, 1});
            for (int l = 0; l < n; ++l) out[i + l] = k[l];
          }
        });
      } else {
        for (std::int64_t i = begin; i < end; ++i) out[i] = static_cast<std::uint32_t>(key(i));
      }
    };
  }

  // run() for a body that also takes runs of slots: body(LaneItems slots,
  // const std::int64_t* order, accumulator) handles the slots slots.first …
  // slots.first + slots.count - 1 (stride 1, at most kLanes), whose items are
  // order[slot] (the slots themselves when order is null), compiled for the
  // process's vector level. The card runs body(slot, item, accumulator).
  template <class Body>
  Status runLanes(const AccumulatorTargets& targets, Body body) {
    if (count_ <= 0) return Success;
    const std::int64_t* order = grouped_.order;
    detail::accumulatingFor(name_, count_, targets,
                            [&](const Accumulator& accumulator, std::int64_t begin, std::int64_t end) {
                              atVectorLevel([&]() __attribute__((always_inline)) {
                                for (std::int64_t slot = begin; slot < end; slot += util::lanes::kLanes) {
                                  const auto n = static_cast<int>(std::min<std::int64_t>(util::lanes::kLanes, end - slot));
                                  body(LaneItems{slot, n, 1}, order, accumulator);
                                }
                              });
                            });
    return detail::launchStatus();
  }

 private:
  const char* name_;
  std::int64_t count_;
  detail::GroupedOrder grouped_;
};

#endif

}  // namespace gpu
