#pragma once
// Helpers shared by the device-layer tests.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "gpu/Device.h"

namespace testing_device {

// Capacity the test main gives the cpu backend.
constexpr std::size_t kCapacityMiB = 64;

// An array in device memory that frees itself.
template <class T>
class DeviceArray {
 public:
  explicit DeviceArray(std::size_t count) : count_(count) {
    EXPECT_EQ(gpu::mallocArray(&data_, count), gpu::Success);
  }
  explicit DeviceArray(const std::vector<T>& values) : DeviceArray(values.size()) {
    EXPECT_EQ(gpu::memcpy(data_, values.data(), bytes(), gpu::CopyKind::HostToDevice), gpu::Success);
  }
  ~DeviceArray() { gpu::free(data_); }
  DeviceArray(const DeviceArray&) = delete;
  DeviceArray& operator=(const DeviceArray&) = delete;

  T* data() const { return data_; }
  std::size_t bytes() const { return count_ * sizeof(T); }

  std::vector<T> toHost() const {
    std::vector<T> values(count_);
    EXPECT_EQ(gpu::memcpy(values.data(), data_, bytes(), gpu::CopyKind::DeviceToHost), gpu::Success);
    return values;
  }

 private:
  std::size_t count_;
  T* data_ = nullptr;
};

// Starts a test from a clean slate: no armed faults, no recorded error.
class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gpu::faults::reset();
    gpu::getLastError();
  }
  void TearDown() override { gpu::faults::reset(); }
};

}  // namespace testing_device
