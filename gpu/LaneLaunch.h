#pragma once
// Kernel launches of lane-generic bodies: forEachLanes runs a body over
// [0, count) like forEach, one item per thread on the cuda backend, and on
// the cpu backend one pack of util::lanes::kLanes items per call, compiled
// for each x86-64 instruction-set level and chosen at load time for the
// machine (gpu::vectorInstructionSet names the choice).
//
// The level is the machine's highest of x86-64 (SSE2), x86-64-v3 (AVX2, FMA)
// and x86-64-v4 (AVX-512); ORB_CPU_VECTOR_LEVEL=x86-64 or x86-64-v3 caps it
// (a level the machine lacks is never taken). Every level gives the same
// bits: the packs' operations are the same rounded float operations.
//
// Pack values must never cross a call that is not inlined (each level passes
// them in its own registers): helpers on packs are ORB_ALWAYS_INLINE, and
// kernel code keeps lambdas to scalar arguments and results.
//
// A body is a functor with `template <class I> ORB_HD ORB_ALWAYS_INLINE void
// operator()(I i)` (always inlined: the compiler's `flatten` alone does not
// reliably pull a body into each level's loop):
// I is std::int64_t for one item, gpu::LaneItems for a pack. It reads its
// inputs with the lane helpers and writes through gpu::put, which writes
// the pack's valid lanes only.
#include <algorithm>
#include <cstdint>

#include "gpu/Launch.h"
#include "util/LaneVec.h"

namespace gpu {

enum class VectorLevel { Baseline, V3, V4 };

namespace detail {
extern const VectorLevel chosenVectorLevel;  // set before main
}
// The level packs run at in this process.
inline VectorLevel vectorLevel() { return detail::chosenVectorLevel; }
// Its name, e.g. "x86-64-v3 (AVX2)".
const char* vectorInstructionSet();

// The number type of a body's index type: float for one item, a pack of
// floats for a pack of items.
template <class I>
struct LaneNumberOf {
  using type = float;
};
template <class I>
using LaneNumber = typename LaneNumberOf<I>::type;

ORB_HD ORB_ALWAYS_INLINE float get(const float* in, std::int64_t i) { return in[i]; }
ORB_HD ORB_ALWAYS_INLINE void put(float* out, std::int64_t i, float v) { out[i] = v; }
ORB_HD ORB_ALWAYS_INLINE util::Vec get(const util::Vec* in, std::int64_t i) { return in[i]; }
ORB_HD ORB_ALWAYS_INLINE void put(util::Vec* out, std::int64_t i, util::Vec v) { out[i] = v; }

#if !defined(__CUDACC__)

// Items first + stride l for lanes l < count, count in [1, kLanes]. With
// stride 2 a pack takes every other item of a block of 2 kLanes, so items of
// one index parity (the ink's two loop populations, whose steps differ)
// share a pack; with stride 1 a pack is a run of items. Lanes past count
// compute on copies of the last item and are never written.
struct LaneItems {
  std::int64_t first;
  int count;
  int stride;
};

ORB_ALWAYS_INLINE void put(float* out, LaneItems i, const util::lanes::Floats& v) {
  for (int l = 0; l < i.count; ++l) out[i.first + i.stride * l] = v.v[l];
}
ORB_ALWAYS_INLINE void put(util::Vec* out, LaneItems i, const util::lanes::FloatsVec& v) {
  for (int l = 0; l < i.count; ++l) out[i.first + i.stride * l] = lane(v, l);
}

template <>
struct LaneNumberOf<LaneItems> {
  using type = util::lanes::Floats;
};

// The item of each lane (the last valid one for lanes past count).
ORB_ALWAYS_INLINE std::int64_t laneItem(LaneItems i, int l) {
  return i.first + i.stride * std::min(l, i.count - 1);
}

// A full run of items is read with whole-register loads.
ORB_ALWAYS_INLINE util::lanes::FloatsVec get(const util::Vec* in, LaneItems i) {
  if (i.stride == 1 && i.count == util::lanes::kLanes)
    return util::lanes::vecsRun<util::lanes::Floats>(in + i.first, 0);
  return util::lanes::gatherVecs([&](int l) { return in[laneItem(i, l)]; });
}
ORB_ALWAYS_INLINE util::lanes::Floats get(const float* in, LaneItems i) {
  if (i.stride == 1 && i.count == util::lanes::kLanes) {
    util::lanes::Floats r;
    __builtin_memcpy(&r.v, in + i.first, sizeof r.v);
    return r;
  }
  return util::lanes::gatherFloats([&](int l) { return in[laneItem(i, l)]; });
}

namespace detail {
// The loop over packs of [begin, end), in blocks of Stride kLanes items: with stride 2 the even-offset items, then
// the odd ones.
template <int Stride, class Body>
ORB_ALWAYS_INLINE void lanesLoop(const Body& body, std::int64_t begin, std::int64_t end) {
  constexpr std::int64_t kBlock = Stride * util::lanes::kLanes;
  for (std::int64_t b = begin; b < end; b += kBlock) {
    const auto n = static_cast<int>(std::min(kBlock, end - b));
    for (int s = 0; s < Stride && s < n; ++s) body(LaneItems{b + s, (n - s + Stride - 1) / Stride, Stride});
  }
}
// body() compiled once per level with everything it calls inlined (flatten),
// so each level's copy uses its own instructions.
template <class Body>
__attribute__((target("arch=x86-64-v4"), flatten)) void callV4(const Body& body) {
  body();
}
template <class Body>
__attribute__((target("arch=x86-64-v3"), flatten)) void callV3(const Body& body) {
  body();
}
template <class Body>
__attribute__((flatten)) void callBaseline(const Body& body) {
  body();
}
}  // namespace detail

// Runs body() compiled for the process's vector level: the kernels' loops
// over packs, and host loops over packs outside kernels (the CPU cloth
// solver). The body must be always inlined
// (`[&]() __attribute__((always_inline)) { ... }`).
template <class Body>
void atVectorLevel(const Body& body) {
  switch (vectorLevel()) {
    case VectorLevel::V4: return detail::callV4(body);
    case VectorLevel::V3: return detail::callV3(body);
    case VectorLevel::Baseline: return detail::callBaseline(body);
  }
}

namespace detail {
template <int Stride, class Body>
void runLanes(const Body& body, std::int64_t begin, std::int64_t end) {
  atVectorLevel([&]() __attribute__((always_inline)) { lanesLoop<Stride>(body, begin, end); });
}
}  // namespace detail

#endif

#if defined(ORB_GPU_BACKEND_CUDA) && defined(__CUDACC__)

template <int Stride = 2, class Body>
Status forEachLanes(const char* name, std::int64_t count, const Body& body, Stream stream = nullptr) {
  return forEach(name, count, body, stream);
}

#elif !defined(ORB_GPU_BACKEND_CUDA)

// Stride 2 (the default) packs items of one parity; stride 1 packs runs.
template <int Stride = 2, class Body>
Status forEachLanes(const char* name, std::int64_t count, const Body& body, Stream stream = nullptr) {
  (void)stream;
  if (count <= 0) return Success;
  constexpr std::int64_t kBlock = Stride * util::lanes::kLanes;
  // Slices of whole blocks, so only the last block's packs are part-filled.
  detail::parallelFor(name, (count + kBlock - 1) / kBlock, [&body, count](std::int64_t begin, std::int64_t end) {
    detail::runLanes<Stride>(body, begin * kBlock, std::min(end * kBlock, count));
  });
  return detail::launchStatus();
}

#endif

}  // namespace gpu
