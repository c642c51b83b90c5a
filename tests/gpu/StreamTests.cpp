// Streams: work issued on a stream, and handles that are not (or no longer)
// streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gpu/Device.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceTest;

using Streams = DeviceTest;

TEST_F(Streams, AsyncOperationsRunInIssueOrder) {
  gpu::Stream stream = nullptr;
  ASSERT_EQ(gpu::streamCreate(&stream), gpu::Success);
  ASSERT_NE(stream, nullptr);

  void* block = nullptr;
  ASSERT_EQ(gpu::mallocAsync(&block, 64, stream), gpu::Success);
  const std::vector<std::uint8_t> pattern(32, 0x5C);
  std::vector<std::uint8_t> back(64, 0);
  EXPECT_EQ(gpu::memsetAsync(block, 0x11, 64, stream), gpu::Success);
  EXPECT_EQ(gpu::memcpyAsync(block, pattern.data(), 32, gpu::CopyKind::HostToDevice, stream),
            gpu::Success);
  EXPECT_EQ(gpu::memcpyAsync(back.data(), block, 64, gpu::CopyKind::DeviceToHost, stream),
            gpu::Success);
  EXPECT_EQ(gpu::freeAsync(block, stream), gpu::Success);
  ASSERT_EQ(gpu::streamSynchronize(stream), gpu::Success);

  std::vector<std::uint8_t> expected(64, 0x11);
  std::fill(expected.begin(), expected.begin() + 32, 0x5C);
  EXPECT_EQ(back, expected);
  EXPECT_EQ(gpu::streamDestroy(stream), gpu::Success);
}

TEST_F(Streams, DefaultStreamTakesAsyncWork) {
  void* block = nullptr;
  ASSERT_EQ(gpu::mallocAsync(&block, 16, nullptr), gpu::Success);
  EXPECT_EQ(gpu::memsetAsync(block, 0, 16, nullptr), gpu::Success);
  EXPECT_EQ(gpu::freeAsync(block, nullptr), gpu::Success);
  EXPECT_EQ(gpu::streamSynchronize(nullptr), gpu::Success);
}

TEST_F(Streams, StaleAndMadeUpHandlesAreRejected) {
  gpu::Stream stream = nullptr;
  ASSERT_EQ(gpu::streamCreate(&stream), gpu::Success);
  ASSERT_EQ(gpu::streamDestroy(stream), gpu::Success);
  auto* madeUp = reinterpret_cast<gpu::Stream>(std::uintptr_t{0xdead0});

  for (gpu::Stream bad : {stream, madeUp}) {
    EXPECT_EQ(gpu::streamDestroy(bad), gpu::ErrorInvalidResourceHandle);
    EXPECT_EQ(gpu::streamSynchronize(bad), gpu::ErrorInvalidResourceHandle);
    void* block = reinterpret_cast<void*>(1);
    EXPECT_EQ(gpu::mallocAsync(&block, 16, bad), gpu::ErrorInvalidResourceHandle);
    EXPECT_EQ(block, reinterpret_cast<void*>(1)) << "a rejected call writes nothing";
    EXPECT_EQ(gpu::freeAsync(nullptr, bad), gpu::ErrorInvalidResourceHandle);
    int host = 0;
    EXPECT_EQ(gpu::memsetAsync(&host, 0, 0, bad), gpu::ErrorInvalidResourceHandle);
    EXPECT_EQ(gpu::memcpyAsync(&host, &host, 0, gpu::CopyKind::HostToDevice, bad),
              gpu::ErrorInvalidResourceHandle);
  }
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidResourceHandle);
  EXPECT_EQ(gpu::streamDestroy(nullptr), gpu::ErrorInvalidResourceHandle);  // the default stream
  EXPECT_EQ(gpu::streamCreate(nullptr), gpu::ErrorInvalidValue);
}
