// Last-error semantics and the fault hooks that make failure paths reachable.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "gpu/Device.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceTest;

namespace {

// A call that fails the same way on both backends without touching memory.
gpu::Status failWithInvalidValue() { return gpu::malloc(nullptr, 16); }

}  // namespace

using LastError = DeviceTest;

TEST_F(LastError, PeekKeepsAndGetClears) {
  ASSERT_EQ(failWithInvalidValue(), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::peekAtLastError(), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::peekAtLastError(), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::getLastError(), gpu::Success);
  EXPECT_EQ(gpu::peekAtLastError(), gpu::Success);
}

TEST_F(LastError, SuccessKeepsAnEarlierErrorAndLaterFailuresReplaceIt) {
  ASSERT_EQ(failWithInvalidValue(), gpu::ErrorInvalidValue);
  int count = 0;
  ASSERT_EQ(gpu::getDeviceCount(&count), gpu::Success);
  EXPECT_EQ(gpu::peekAtLastError(), gpu::ErrorInvalidValue);

  ASSERT_EQ(gpu::streamDestroy(nullptr), gpu::ErrorInvalidResourceHandle);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidResourceHandle);
}

TEST_F(LastError, BelongsToTheThreadThatFailed) {
  ASSERT_EQ(failWithInvalidValue(), gpu::ErrorInvalidValue);
  gpu::Status seenElsewhere = gpu::ErrorUnknown;
  std::thread other([&] { seenElsewhere = gpu::peekAtLastError(); });
  other.join();
  EXPECT_EQ(seenElsewhere, gpu::Success);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidValue);
}

TEST_F(LastError, NullOutputsAreRejected) {
  EXPECT_EQ(gpu::getDeviceCount(nullptr), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::getDeviceName(0, nullptr), gpu::ErrorInvalidValue);
  std::size_t bytes = 0;
  EXPECT_EQ(gpu::memGetInfo(nullptr, &bytes), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memGetInfo(&bytes, nullptr), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::mallocArray<float>(nullptr, 4), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidValue);
}

TEST_F(LastError, DeviceQueriesAnswerForDeviceZeroOnly) {
  std::string name;
  ASSERT_EQ(gpu::getDeviceName(0, &name), gpu::Success);
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(gpu::getDeviceName(-1, &name), gpu::ErrorInvalidDevice);
  int count = 0;
  ASSERT_EQ(gpu::getDeviceCount(&count), gpu::Success);
  EXPECT_EQ(gpu::getDeviceName(count, &name), gpu::ErrorInvalidDevice);
}

using InjectedFault = DeviceTest;

TEST_F(InjectedFault, NthAllocationFailsExactlyOnce) {
  gpu::faults::failAllocation(3);
  void* blocks[5] = {};
  gpu::Status results[5];
  for (int i = 0; i < 5; ++i) results[i] = gpu::malloc(&blocks[i], 64);
  EXPECT_EQ(results[0], gpu::Success);
  EXPECT_EQ(results[1], gpu::Success);
  EXPECT_EQ(results[2], gpu::ErrorMemoryAllocation);
  EXPECT_EQ(blocks[2], nullptr);
  EXPECT_EQ(results[3], gpu::Success);
  EXPECT_EQ(results[4], gpu::Success);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorMemoryAllocation);
  for (void* block : blocks) EXPECT_EQ(gpu::free(block), gpu::Success);
}

TEST_F(InjectedFault, AsyncAllocationsCountToo) {
  gpu::faults::failAllocation(2);
  void* first = nullptr;
  void* second = nullptr;
  EXPECT_EQ(gpu::malloc(&first, 64), gpu::Success);
  EXPECT_EQ(gpu::mallocAsync(&second, 64, nullptr), gpu::ErrorMemoryAllocation);
  EXPECT_EQ(gpu::free(first), gpu::Success);
}

TEST_F(InjectedFault, ZeroNegativeOrResetDisarms) {
  for (int n : {0, -1, 1}) {
    gpu::faults::failAllocation(1);
    if (n == 1) gpu::faults::reset();
    else gpu::faults::failAllocation(n);
    void* block = nullptr;
    EXPECT_EQ(gpu::malloc(&block, 64), gpu::Success) << "n = " << n;
    EXPECT_EQ(gpu::free(block), gpu::Success);
  }
}

TEST_F(InjectedFault, NoDeviceFailsEveryCallAndResetRestores) {
  void* block = nullptr;
  ASSERT_EQ(gpu::malloc(&block, 64), gpu::Success);

  gpu::faults::setNoDevice(true);
  int count = -1;
  EXPECT_EQ(gpu::getDeviceCount(&count), gpu::ErrorNoDevice);
  EXPECT_EQ(count, 0);
  EXPECT_STREQ(gpu::errorString(gpu::getLastError()), "no CUDA-capable device is detected");
  std::string name;
  std::size_t freeBytes = 0, totalBytes = 0;
  void* other = nullptr;
  gpu::Stream stream = nullptr;
  char host[64] = {};
  EXPECT_EQ(gpu::getDeviceName(0, &name), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::memGetInfo(&freeBytes, &totalBytes), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::malloc(&other, 64), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::memset(block, 0, 64), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::memcpy(host, block, 64, gpu::CopyKind::DeviceToHost), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::deviceSynchronize(), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::streamCreate(&stream), gpu::ErrorNoDevice);
  EXPECT_EQ(gpu::free(block), gpu::ErrorNoDevice);  // the block survives
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorNoDevice);

  gpu::faults::reset();
  ASSERT_EQ(gpu::getDeviceCount(&count), gpu::Success);
  EXPECT_GE(count, 1);
  EXPECT_EQ(gpu::memset(block, 7, 64), gpu::Success);
  EXPECT_EQ(gpu::free(block), gpu::Success);
}

TEST_F(InjectedFault, NthCopyFailsExactlyOnceQueuedOrNot) {
  void* block = nullptr;
  ASSERT_EQ(gpu::malloc(&block, 64), gpu::Success);
  char host[64] = {};
  gpu::faults::failCopy(2);
  EXPECT_EQ(gpu::memcpy(block, host, 64, gpu::CopyKind::HostToDevice), gpu::Success);
  EXPECT_EQ(gpu::memcpyAsync(host, block, 64, gpu::CopyKind::DeviceToHost, nullptr), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memcpy(host, block, 64, gpu::CopyKind::DeviceToHost), gpu::Success);
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::free(block), gpu::Success);
}

TEST_F(InjectedFault, MissingDeviceNameLeavesTheDeviceUsable) {
  gpu::faults::setNoDeviceName(true);
  std::string name = "kept";
  EXPECT_EQ(gpu::getDeviceName(0, &name), gpu::ErrorInvalidDevice);
  EXPECT_EQ(name, "kept");
  int count = 0;
  EXPECT_EQ(gpu::getDeviceCount(&count), gpu::Success);
  void* block = nullptr;
  EXPECT_EQ(gpu::malloc(&block, 64), gpu::Success);
  EXPECT_EQ(gpu::free(block), gpu::Success);
  gpu::faults::reset();
  EXPECT_EQ(gpu::getDeviceName(0, &name), gpu::Success);
}
