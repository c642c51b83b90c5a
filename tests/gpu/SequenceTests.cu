// A sequence of device calls keeps its first failure, and every launch is
// counted under its kernel's name.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "gpu/FirstError.h"
#include "gpu/KernelStats.h"
#include "gpu/Launch.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceTest;

namespace {

gpu::Status fill(const char* name, float* data, std::int64_t count) {
  return gpu::forEach(name, count, [=] ORB_HD(std::int64_t i) { data[i] = 1.f; });
}

}  // namespace

using FirstError = DeviceTest;

TEST_F(FirstError, KeepsTheFirstFailureAndItsTextAndSkipsTheRest) {
  testing_device::DeviceArray<float> data(1024);
  gpu::FirstError sequence;
  EXPECT_TRUE(sequence.check(fill("fill", data.data(), 1024)));
  EXPECT_TRUE(sequence.ok());

  gpu::faults::failLaunch(1);
  EXPECT_FALSE(sequence.check(fill("fill", data.data(), 1024), "launch failed"));
  EXPECT_EQ(sequence.status(), gpu::ErrorLaunchFailure);
  EXPECT_EQ(sequence.text(), "launch failed");
  // The failure no longer sits in the thread's slot for an unrelated call.
  EXPECT_EQ(gpu::peekAtLastError(), gpu::Success);

  // A later failure is a consequence: it neither replaces the cause nor
  // stays in the slot, and nothing after the failure answers true.
  EXPECT_FALSE(sequence.check(gpu::malloc(nullptr, 16)));
  EXPECT_FALSE(sequence.check(gpu::Success));
  EXPECT_FALSE(sequence.synchronize());
  EXPECT_EQ(sequence.status(), gpu::ErrorLaunchFailure);
  EXPECT_EQ(sequence.text(), "launch failed");
  EXPECT_EQ(gpu::peekAtLastError(), gpu::Success);
}

TEST_F(FirstError, UsesTheRuntimesTextUnlessGivenOne) {
  gpu::FirstError sequence;
  EXPECT_TRUE(sequence.synchronize());
  EXPECT_FALSE(sequence.check(gpu::malloc(nullptr, 16)));
  EXPECT_EQ(sequence.text(), gpu::errorString(gpu::ErrorInvalidValue));
}

TEST_F(FirstError, ReportsAFailedSynchronisation) {
  gpu::faults::setNoDevice(true);
  gpu::FirstError sequence;
  EXPECT_FALSE(sequence.synchronize());
  EXPECT_EQ(sequence.status(), gpu::ErrorNoDevice);
}

TEST_F(DeviceTest, LaunchesAreCountedByKernelName) {
  testing_device::DeviceArray<float> data(256);
  gpu::resetKernelStats();
  ASSERT_EQ(fill("alpha", data.data(), 256), gpu::Success);
  ASSERT_EQ(fill("beta", data.data(), 16), gpu::Success);
  ASSERT_EQ(fill("alpha", data.data(), 256), gpu::Success);
  ASSERT_EQ(fill("alpha", data.data(), 0), gpu::Success);  // an empty launch runs nothing
  ASSERT_EQ(gpu::deviceSynchronize(), gpu::Success);

  const std::vector<gpu::KernelStats> stats = gpu::kernelStats();
  ASSERT_EQ(stats.size(), 2u);
  EXPECT_EQ(stats[0].name, "alpha");
  EXPECT_EQ(stats[0].launches, 2u);
  EXPECT_EQ(stats[1].name, "beta");
  EXPECT_EQ(stats[1].launches, 1u);
  EXPECT_GE(stats[0].seconds, 0.0);

  gpu::resetKernelStats();
  EXPECT_TRUE(gpu::kernelStats().empty());
}
