// The cpu device's memory is a budget: allocations are charged byte for byte
// and refused once it is spent, the way a card runs out.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "gpu/Device.h"
#include "gpu/HostParallel.h"
#include "gpu/Launch.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceTest;

namespace {

std::size_t freeBytes() {
  std::size_t available = 0, total = 0;
  EXPECT_EQ(gpu::memGetInfo(&available, &total), gpu::Success);
  return available;
}

}  // namespace

using Accounting = DeviceTest;

TEST_F(Accounting, CapacityComesFromTheEnvironment) {
  std::size_t available = 0, total = 0;
  ASSERT_EQ(gpu::memGetInfo(&available, &total), gpu::Success);
  EXPECT_EQ(total, testing_device::kCapacityMiB << 20);
}

TEST_F(Accounting, ChargesExactlyTheBytesAllocated) {
  const std::size_t before = freeBytes();
  void* block = nullptr;
  ASSERT_EQ(gpu::malloc(&block, 1000), gpu::Success);
  EXPECT_EQ(freeBytes(), before - 1000);
  void* empty = nullptr;
  ASSERT_EQ(gpu::malloc(&empty, 0), gpu::Success);
  EXPECT_EQ(freeBytes(), before - 1000);
  ASSERT_EQ(gpu::free(block), gpu::Success);
  EXPECT_EQ(freeBytes(), before);
}

TEST_F(Accounting, RefusesMoreThanIsFreeAndChangesNothing) {
  const std::size_t before = freeBytes();
  void* block = reinterpret_cast<void*>(1);
  EXPECT_EQ(gpu::malloc(&block, before + 1), gpu::ErrorMemoryAllocation);
  EXPECT_STREQ(gpu::errorString(gpu::getLastError()), "out of memory");
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(freeBytes(), before);
  EXPECT_EQ(gpu::malloc(&block, SIZE_MAX), gpu::ErrorMemoryAllocation);
  EXPECT_EQ(freeBytes(), before);
}

TEST_F(Accounting, TheLastFreeByteCanBeAllocatedButNotOneMore) {
  const std::size_t before = freeBytes();
  void* everything = nullptr;
  ASSERT_EQ(gpu::malloc(&everything, before), gpu::Success);
  EXPECT_EQ(freeBytes(), 0u);
  void* more = nullptr;
  EXPECT_EQ(gpu::malloc(&more, 1), gpu::ErrorMemoryAllocation);
  ASSERT_EQ(gpu::free(everything), gpu::Success);
  EXPECT_EQ(freeBytes(), before);
}

TEST_F(Accounting, OnlyLiveBlocksCanBeFreed) {
  const std::size_t before = freeBytes();
  char* block = nullptr;
  ASSERT_EQ(gpu::mallocArray(&block, 64), gpu::Success);
  int onTheStack = 0;
  EXPECT_EQ(gpu::free(&onTheStack), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::free(block + 1), gpu::ErrorInvalidValue);  // inside, not the start
  EXPECT_EQ(freeBytes(), before - 64);
  ASSERT_EQ(gpu::free(block), gpu::Success);
  EXPECT_EQ(gpu::free(block), gpu::ErrorInvalidValue);  // twice
  EXPECT_EQ(freeBytes(), before);
}

TEST_F(Accounting, BlocksAreAlignedLikeCudaMalloc) {
  void* blocks[3] = {};
  for (void*& block : blocks) {
    ASSERT_EQ(gpu::malloc(&block, 3), gpu::Success);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 256, 0u);
  }
  for (void* block : blocks) EXPECT_EQ(gpu::free(block), gpu::Success);
}

TEST_F(Accounting, ConcurrentAllocationsBalance) {
  const std::size_t before = freeBytes();
  std::thread workers[4];
  for (std::thread& worker : workers) {
    worker = std::thread([] {
      for (int i = 0; i < 500; ++i) {
        void* block = nullptr;
        if (gpu::malloc(&block, 100 + i) == gpu::Success) gpu::free(block);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(freeBytes(), before);
}

TEST_F(Accounting, DeviceIsNamedAfterItsThreads) {
  std::string name;
  ASSERT_EQ(gpu::getDeviceName(0, &name), gpu::Success);
  EXPECT_EQ(name, "CPU device (" + std::to_string(gpu::hostThreadCount()) + " threads)");
  int count = 0;
  ASSERT_EQ(gpu::getDeviceCount(&count), gpu::Success);
  EXPECT_EQ(count, 1);
  EXPECT_STREQ(gpu::backendName(), "cpu");
}
