// The cuda backend on a machine without a card or driver: every call must
// come back with a status that can be reported, never crash. Skipped where a
// device is present, since the premise does not hold there.
#include <gtest/gtest.h>

#include <string>

#include "gpu/Device.h"

namespace {

class WithoutDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    status_ = gpu::getDeviceCount(&count_);
    if (status_ == gpu::Success && count_ > 0) GTEST_SKIP() << "a CUDA device is present";
  }
  gpu::Status status_ = gpu::Success;
  int count_ = -1;
};

}  // namespace

TEST_F(WithoutDevice, DeviceCountFailsWithAReportableStatus) {
  EXPECT_EQ(count_, 0);
  EXPECT_FALSE(std::string(gpu::errorString(status_)).empty());
  EXPECT_EQ(gpu::getLastError(), status_);
}

TEST_F(WithoutDevice, MemoryAndStreamCallsFailInsteadOfCrashing) {
  void* block = nullptr;
  EXPECT_NE(gpu::malloc(&block, 1024), gpu::Success);
  std::size_t freeBytes = 0, totalBytes = 0;
  EXPECT_NE(gpu::memGetInfo(&freeBytes, &totalBytes), gpu::Success);
  gpu::Stream stream = nullptr;
  EXPECT_NE(gpu::streamCreate(&stream), gpu::Success);
  std::string name;
  EXPECT_NE(gpu::getDeviceName(0, &name), gpu::Success);
  EXPECT_NE(gpu::getLastError(), gpu::Success);
}

TEST(NoDeviceBackend, IsTheCudaBackend) { EXPECT_STREQ(gpu::backendName(), "cuda"); }
