// Device-side ranges of copies and fills must lie inside one live block, so
// an overrun in a test fails loudly instead of corrupting the heap.
#include <gtest/gtest.h>

#include <vector>

#include "gpu/Device.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceArray;
using testing_device::DeviceTest;

using Bounds = DeviceTest;

TEST_F(Bounds, CopiesUpToTheEndButNotPastIt) {
  DeviceArray<int> block(std::vector<int>(8, 1));
  const std::vector<int> source(9, 2);
  EXPECT_EQ(gpu::memcpy(block.data() + 4, source.data(), 4 * sizeof(int), gpu::CopyKind::HostToDevice),
            gpu::Success);
  EXPECT_EQ(gpu::memcpy(block.data() + 5, source.data(), 4 * sizeof(int), gpu::CopyKind::HostToDevice),
            gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memcpy(block.data(), source.data(), 9 * sizeof(int), gpu::CopyKind::HostToDevice),
            gpu::ErrorInvalidValue);
  std::vector<int> host(9, 0);
  EXPECT_EQ(gpu::memcpy(host.data(), block.data(), 9 * sizeof(int), gpu::CopyKind::DeviceToHost),
            gpu::ErrorInvalidValue);
  EXPECT_EQ(host, std::vector<int>(9, 0));
  EXPECT_EQ(block.toHost(), (std::vector<int>{1, 1, 1, 1, 2, 2, 2, 2}));
  EXPECT_EQ(gpu::getLastError(), gpu::ErrorInvalidValue);
}

TEST_F(Bounds, DeviceToDeviceChecksBothEnds) {
  DeviceArray<int> small(std::vector<int>(4, 1));
  DeviceArray<int> large(std::vector<int>(8, 2));
  EXPECT_EQ(gpu::memcpy(small.data(), large.data(), large.bytes(), gpu::CopyKind::DeviceToDevice),
            gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memcpy(large.data(), small.data(), large.bytes(), gpu::CopyKind::DeviceToDevice),
            gpu::ErrorInvalidValue);
  EXPECT_EQ(small.toHost(), std::vector<int>(4, 1));
  EXPECT_EQ(large.toHost(), std::vector<int>(8, 2));
}

TEST_F(Bounds, HostMemoryIsNotDeviceMemory) {
  std::vector<int> host(4, 0), other(4, 9);
  EXPECT_EQ(gpu::memcpy(host.data(), other.data(), 16, gpu::CopyKind::HostToDevice), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memcpy(host.data(), other.data(), 16, gpu::CopyKind::DeviceToDevice), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memset(host.data(), 0, 16), gpu::ErrorInvalidValue);
  EXPECT_EQ(host, std::vector<int>(4, 0));
}

TEST_F(Bounds, MemsetStaysInsideALiveBlock) {
  DeviceArray<unsigned char> block(std::vector<unsigned char>(16, 1));
  EXPECT_EQ(gpu::memset(block.data() + 8, 0, 9), gpu::ErrorInvalidValue);
  EXPECT_EQ(block.toHost(), std::vector<unsigned char>(16, 1));
  void* freed = nullptr;
  ASSERT_EQ(gpu::malloc(&freed, 64), gpu::Success);
  ASSERT_EQ(gpu::free(freed), gpu::Success);
  EXPECT_EQ(gpu::memset(freed, 0, 64), gpu::ErrorInvalidValue);
}

TEST_F(Bounds, NullPointersWithBytesAreRejected) {
  DeviceArray<int> block(std::vector<int>(4, 1));
  EXPECT_EQ(gpu::memcpy(nullptr, block.data(), 4, gpu::CopyKind::DeviceToHost), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memcpy(block.data(), nullptr, 4, gpu::CopyKind::HostToDevice), gpu::ErrorInvalidValue);
  EXPECT_EQ(gpu::memset(nullptr, 0, 4), gpu::ErrorInvalidValue);
}
