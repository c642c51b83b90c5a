// Kernel launches: coverage of the index space and atomics under contention.
// Kernels live in free functions because nvcc does not accept device lambdas
// inside the private TestBody of a gtest case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gpu/Atomics.h"
#include "gpu/LaneLaunch.h"
#include "gpu/Launch.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceArray;
using testing_device::DeviceTest;

namespace {

// visits[i] counts the visits of index i; visits[count] counts indices
// outside [0, count), which must never be handed out.
gpu::Status countVisits(float* visits, std::int64_t count) {
  return gpu::forEach("countVisits", count, [=] ORB_HD(std::int64_t i) {
    gpu::atomicAdd(&visits[(i >= 0 && i < count) ? i : count], 1.0f);
  });
}

gpu::Status sumResidues(float* sum, std::int64_t count) {
  return gpu::forEach("sumResidues", count, [=] ORB_HD(std::int64_t i) {
    gpu::atomicAdd(sum, static_cast<float>(i % 5));
  });
}

ORB_HD int scrambled(std::int64_t i) { return static_cast<int>((i * 7919 + 104729) % 1000003); }

gpu::Status minimumOfScrambled(int* minimum, std::int64_t count) {
  return gpu::forEach("minimumOfScrambled", count,
                      [=] ORB_HD(std::int64_t i) { gpu::atomicMin(minimum, scrambled(i)); });
}

// Records what atomicMin returns: the value before the call, changed or not.
gpu::Status atomicMinReturnsOld(int* slots) {
  return gpu::forEach("atomicMinReturnsOld", 1, [=] ORB_HD(std::int64_t) {
    slots[1] = gpu::atomicMin(&slots[0], 3);  // 10 -> 3
    slots[2] = gpu::atomicMin(&slots[0], 8);  // stays 3
  });
}

gpu::Status writeIndices(int* out, std::int64_t count, gpu::Stream stream) {
  return gpu::forEach(
      "writeIndices", count, [=] ORB_HD(std::int64_t i) { out[i] = static_cast<int>(i); }, stream);
}

// Writes i + 1 to out[i], one item or one pack at a time.
ORB_HD float itemMark(std::int64_t i) { return static_cast<float>(i) + 1.f; }
#if !defined(__CUDACC__)
util::lanes::Floats itemMark(gpu::LaneItems i) {
  return util::lanes::gatherFloats([&](int l) { return itemMark(gpu::laneItem(i, l)); });
}
#endif
struct MarkItems {
  float* out;
  template <class I>
  ORB_HD ORB_ALWAYS_INLINE void operator()(I i) const {
    gpu::put(out, i, itemMark(i));
  }
};

}  // namespace

using ForEach = DeviceTest;

TEST_F(ForEach, LanesWriteEveryItemOnceAndNothingPastTheEnd) {
  for (std::int64_t count : {1, 7, 8, 9, 17, 4095, 40001}) {
    for (const bool runs : {false, true}) {
      DeviceArray<float> out(std::vector<float>(count + 9, -1.f));
      const gpu::Status status = runs ? gpu::forEachLanes<1>("markRuns", count, MarkItems{out.data()})
                                      : gpu::forEachLanes("markItems", count, MarkItems{out.data()});
      ASSERT_EQ(status, gpu::Success) << count;
      const std::vector<float> seen = out.toHost();
      for (std::int64_t i = 0; i < count; ++i) ASSERT_EQ(seen[i], static_cast<float>(i + 1)) << i << " of " << count;
      for (std::int64_t i = count; i < count + 9; ++i) ASSERT_EQ(seen[i], -1.f) << "written past " << count;
    }
  }
}

TEST_F(ForEach, VisitsEveryIndexExactlyOnce) {
  for (std::int64_t count : {0, 1, 255, 256, 257, 1000000, 1000003}) {
    DeviceArray<float> visits(std::vector<float>(count + 1, 0.0f));
    ASSERT_EQ(countVisits(visits.data(), count), gpu::Success) << "count " << count;
    ASSERT_EQ(gpu::deviceSynchronize(), gpu::Success);
    const std::vector<float> seen = visits.toHost();
    EXPECT_EQ(std::count(seen.begin(), seen.end() - 1, 1.0f), count) << "count " << count;
    EXPECT_EQ(seen.back(), 0.0f) << "out-of-range indices for count " << count;
  }
}

TEST_F(ForEach, NegativeCountRunsNothing) {
  DeviceArray<float> visits(std::vector<float>(1, 0.0f));
  EXPECT_EQ(countVisits(visits.data(), -5), gpu::Success);
  EXPECT_EQ(visits.toHost()[0], 0.0f);
}

TEST_F(ForEach, RunsOnAStream) {
  constexpr std::int64_t kCount = 5000;
  gpu::Stream stream = nullptr;
  ASSERT_EQ(gpu::streamCreate(&stream), gpu::Success);
  DeviceArray<int> out(kCount);
  EXPECT_EQ(writeIndices(out.data(), kCount, stream), gpu::Success);
  EXPECT_EQ(gpu::streamSynchronize(stream), gpu::Success);
  const std::vector<int> values = out.toHost();
  for (std::int64_t i = 0; i < kCount; ++i) ASSERT_EQ(values[i], i);
  EXPECT_EQ(gpu::streamDestroy(stream), gpu::Success);
}

TEST_F(ForEach, ReportsAnInjectedMissingDevice) {
  DeviceArray<int> out(4);
  gpu::faults::setNoDevice(true);
  EXPECT_EQ(writeIndices(out.data(), 4, nullptr), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorNoDevice);
}

TEST_F(ForEach, ReportsAnInjectedLaunchFailureOnce) {
  DeviceArray<int> out(4);
  gpu::faults::failLaunch(2);
  EXPECT_EQ(writeIndices(out.data(), 4, nullptr), gpu::Success);
  EXPECT_EQ(writeIndices(out.data(), 4, nullptr), gpu::ErrorLaunchFailure);
  EXPECT_STREQ(gpu::errorString(gpu::getLastError()), "unspecified launch failure");
  EXPECT_EQ(writeIndices(out.data(), 4, nullptr), gpu::Success);
}

using Atomics = DeviceTest;

TEST_F(Atomics, FloatAddIsExactForIntegerValuedSums) {
  constexpr std::int64_t kCount = 1000000;  // sum 2e6 stays below 2^24
  DeviceArray<float> sum(std::vector<float>{0.0f});
  ASSERT_EQ(sumResidues(sum.data(), kCount), gpu::Success);
  EXPECT_EQ(sum.toHost()[0], 2000000.0f);
}

TEST_F(Atomics, IntMinFindsTheMinimum) {
  constexpr std::int64_t kCount = 1000000;
  int expected = 1 << 30;
  for (std::int64_t i = 0; i < kCount; ++i) expected = std::min(expected, scrambled(i));
  DeviceArray<int> minimum(std::vector<int>{1 << 30});
  ASSERT_EQ(minimumOfScrambled(minimum.data(), kCount), gpu::Success);
  EXPECT_EQ(minimum.toHost()[0], expected);
}

TEST_F(Atomics, IntMinReturnsThePreviousValue) {
  DeviceArray<int> slots(std::vector<int>{10, 0, 0});
  ASSERT_EQ(atomicMinReturnsOld(slots.data()), gpu::Success);
  EXPECT_EQ(slots.toHost(), (std::vector<int>{3, 10, 3}));
}
