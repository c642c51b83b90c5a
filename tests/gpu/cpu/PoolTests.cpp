// The cpu backend's thread pool under the situations kernels put it in:
// launches from inside a kernel body, launches from several host threads, and
// bodies that throw.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "gpu/HostParallel.h"
#include "gpu/Launch.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceTest;

using Pool = DeviceTest;

TEST_F(Pool, HasAtLeastTheCallingThread) { EXPECT_GE(gpu::hostThreadCount(), 1); }

TEST_F(Pool, LaunchFromInsideABodyRunsInline) {
  // Both levels are large enough to use the pool if nesting were not caught;
  // a pool waiting on itself would hang here.
  constexpr std::int64_t kRows = 4096, kColumns = 4096;
  std::vector<std::int64_t> rowCounts(kRows, 0);
  std::int64_t* counts = rowCounts.data();
  std::atomic<int> innerFailures{0};
  ASSERT_EQ(gpu::forEach("rows", kRows,
                         [&](std::int64_t row) {
                           const gpu::Status s = gpu::forEach(
                               "columns", kColumns, [&](std::int64_t) { counts[row] += 1; });
                           if (s != gpu::Success) ++innerFailures;
                         }),
            gpu::Success);
  EXPECT_EQ(innerFailures, 0);
  EXPECT_EQ(std::count(rowCounts.begin(), rowCounts.end(), kColumns), kRows);
}

TEST_F(Pool, HostThreadsCanLaunchAtTheSameTime) {
  constexpr std::int64_t kCount = 100000;
  std::vector<std::vector<std::int64_t>> results(4, std::vector<std::int64_t>(kCount, -1));
  std::vector<std::thread> launchers;
  for (std::size_t t = 0; t < results.size(); ++t) {
    launchers.emplace_back([&, t] {
      std::int64_t* out = results[t].data();
      for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(gpu::forEach("square", kCount, [=](std::int64_t i) { out[i] = i * i + round; }),
                  gpu::Success);
      }
    });
  }
  for (std::thread& launcher : launchers) launcher.join();
  for (const auto& result : results) {
    for (std::int64_t i = 0; i < kCount; ++i) ASSERT_EQ(result[i], i * i + 19);
  }
}

TEST_F(Pool, ThrowingBodyIsALaunchFailureAndThePoolCarriesOn) {
  for (std::int64_t count : {10, 100000}) {  // inline and pooled
    std::atomic<std::int64_t> visited{0};
    const gpu::Status s = gpu::forEach("throws", count, [&](std::int64_t i) {
      if (i == count / 2) throw std::runtime_error("bad item");
      ++visited;
    });
    EXPECT_EQ(s, gpu::ErrorLaunchFailure) << "count " << count;
    EXPECT_STREQ(gpu::errorString(gpu::getLastError()), "unspecified launch failure");
    EXPECT_LT(visited, count);
  }
  std::atomic<std::int64_t> visited{0};
  EXPECT_EQ(gpu::forEach("fine", 100000, [&](std::int64_t) { ++visited; }), gpu::Success);
  EXPECT_EQ(visited, 100000);
}

TEST_F(Pool, InjectedMissingDeviceRunsNoBody) {
  gpu::faults::setNoDevice(true);
  std::atomic<int> visited{0};
  EXPECT_EQ(gpu::forEach("nothing", 100, [&](std::int64_t) { ++visited; }), gpu::ErrorNoDevice);
  EXPECT_EQ(visited, 0);
}
