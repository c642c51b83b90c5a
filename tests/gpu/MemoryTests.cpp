// Device memory and copies as every backend provides them.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "gpu/Device.h"
#include "tests/gpu/TestDevice.h"

using testing_device::DeviceArray;
using testing_device::DeviceTest;

using Memory = DeviceTest;

TEST_F(Memory, CopiesInAllThreeDirections) {
  std::vector<int> values(1000);
  std::iota(values.begin(), values.end(), -500);
  DeviceArray<int> first(values);  // host to device
  DeviceArray<int> second(values.size());
  ASSERT_EQ(gpu::memcpy(second.data(), first.data(), first.bytes(), gpu::CopyKind::DeviceToDevice),
            gpu::Success);
  EXPECT_EQ(second.toHost(), values);  // device to host
}

TEST_F(Memory, CopiesIntoTheMiddleOfABlock) {
  DeviceArray<int> block(std::vector<int>(8, 0));
  const int middle[3] = {7, 8, 9};
  ASSERT_EQ(gpu::memcpy(block.data() + 2, middle, sizeof middle, gpu::CopyKind::HostToDevice),
            gpu::Success);
  EXPECT_EQ(block.toHost(), (std::vector<int>{0, 0, 7, 8, 9, 0, 0, 0}));
}

TEST_F(Memory, MemsetWritesBytesOverTheGivenRangeOnly) {
  DeviceArray<std::uint8_t> block(std::vector<std::uint8_t>(16, 1));
  ASSERT_EQ(gpu::memset(block.data() + 4, 0x1AB, 8), gpu::Success);  // only the low byte counts
  std::vector<std::uint8_t> expected(16, 1);
  std::fill(expected.begin() + 4, expected.begin() + 12, 0xAB);
  EXPECT_EQ(block.toHost(), expected);
}

TEST_F(Memory, ZeroByteOperationsSucceed) {
  void* block = reinterpret_cast<void*>(1);
  ASSERT_EQ(gpu::malloc(&block, 0), gpu::Success);
  EXPECT_EQ(gpu::free(block), gpu::Success);
  EXPECT_EQ(gpu::free(nullptr), gpu::Success);
  DeviceArray<int> some(4);
  int host = 0;
  EXPECT_EQ(gpu::memcpy(&host, some.data(), 0, gpu::CopyKind::DeviceToHost), gpu::Success);
  EXPECT_EQ(gpu::memset(some.data(), 0, 0), gpu::Success);
  EXPECT_EQ(gpu::getLastError(), gpu::Success);
}

TEST_F(Memory, UnknownCopyKindIsRejected) {
  DeviceArray<int> block(std::vector<int>{5});
  int host = 0;
  EXPECT_EQ(gpu::memcpy(&host, block.data(), sizeof host, static_cast<gpu::CopyKind>(42)),
            gpu::ErrorInvalidValue);
  EXPECT_EQ(host, 0);
}

TEST_F(Memory, ArraysTooLargeToCountInBytesFailAsOutOfMemory) {
  double* huge = reinterpret_cast<double*>(1);
  EXPECT_EQ(gpu::mallocArray(&huge, SIZE_MAX / 4), gpu::ErrorMemoryAllocation);
  EXPECT_EQ(huge, nullptr);
}
