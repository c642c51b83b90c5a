// The device description and the residency budget. The cpu backend plays a
// 1024 MiB device here (the test's environment sets it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "gpu/Device.h"
#include "ink/sim/GpuContext.h"

namespace {
struct GpuContextTest : ::testing::Test {
  void TearDown() override {
    gpu::faults::reset();
    unsetenv("ORB_INK_MAX_RESIDENT");
  }
};
}  // namespace

TEST_F(GpuContextTest, NoDeviceMeansCudaUnavailableAndNoBudget) {
  gpu::faults::setNoDevice(true);
  std::string text;
  EXPECT_FALSE(ink::describeDevice(text));
  EXPECT_EQ(text, "CUDA unavailable");
  EXPECT_EQ(ink::residentBudget(16, text), 0);
  EXPECT_EQ(text, "CUDA unavailable");
  EXPECT_EQ(ink::gpuCapacityMillions(), 0.f);
}

#if defined(ORB_GPU_BACKEND_CUDA)

TEST_F(GpuContextTest, WithoutADriverTheDeviceIsUnavailable) {
  int count = 0;
  if (gpu::getDeviceCount(&count) == gpu::Success && count > 0) GTEST_SKIP() << "a device is present";
  std::string text;
  EXPECT_FALSE(ink::describeDevice(text));
  EXPECT_EQ(text, "CUDA unavailable");
}

#else

TEST_F(GpuContextTest, DescribesTheDeviceInGiBWithOneDecimal) {
  std::string text;
  ASSERT_TRUE(ink::describeDevice(text));
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(CPU device \(\d+ threads\), 1\.0 of 1\.0 GB free)"))) << text;
}

TEST_F(GpuContextTest, BudgetIsFreeMemoryAboveTheReservePerParticle) {
  std::string text;
  const std::int64_t free = 1024ll << 20;
  EXPECT_EQ(ink::residentBudget(16, text), (free - ink::kDeviceReserveBytes) / 16);
  EXPECT_EQ(ink::residentBudget(40, text), (free - ink::kDeviceReserveBytes) / 40);
  EXPECT_EQ(ink::residentBudget(0, text), free - ink::kDeviceReserveBytes);  // at least one byte each
  EXPECT_FLOAT_EQ(ink::gpuCapacityMillions(), static_cast<float>((free - ink::kDeviceReserveBytes) / 16 / 1e6));
}

TEST_F(GpuContextTest, BudgetIsZeroWhenOnlyTheReserveIsFree) {
  void* block = nullptr;
  ASSERT_EQ(gpu::malloc(&block, 200u << 20), gpu::Success);
  std::string text;
  EXPECT_EQ(ink::residentBudget(16, text), 0);
  EXPECT_EQ(ink::gpuCapacityMillions(), 0.f);
  gpu::free(block);
}

TEST_F(GpuContextTest, EnvironmentCapsTheBudgetOnlyWhenSmallerAndSet) {
  std::string text;
  const std::int64_t device = ink::residentBudget(16, text);
  setenv("ORB_INK_MAX_RESIDENT", "0", 1);
  EXPECT_EQ(ink::residentBudget(16, text), 0);
  setenv("ORB_INK_MAX_RESIDENT", "", 1);
  EXPECT_EQ(ink::residentBudget(16, text), device);
  setenv("ORB_INK_MAX_RESIDENT", "1000", 1);
  EXPECT_EQ(ink::residentBudget(16, text), 1000);
  setenv("ORB_INK_MAX_RESIDENT", "999999999999", 1);
  EXPECT_EQ(ink::residentBudget(16, text), device);
  setenv("ORB_INK_MAX_RESIDENT", "-5", 1);  // never a negative budget
  EXPECT_EQ(ink::residentBudget(16, text), 0);
  setenv("ORB_INK_MAX_RESIDENT", "12345678901234567890123456789012", 1);  // does not fit the buffer
  EXPECT_EQ(ink::residentBudget(16, text), device);
}

#endif
