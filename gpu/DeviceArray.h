#pragma once
// A device block of T that grows on demand and is reused: engines keep one
// per buffer so that frames after the first allocate nothing.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "gpu/Device.h"

namespace gpu {

template <class T>
class DeviceArray {
 public:
  DeviceArray() = default;
  DeviceArray(const DeviceArray&) = delete;
  DeviceArray& operator=(const DeviceArray&) = delete;
  DeviceArray(DeviceArray&& o) noexcept : data_(std::exchange(o.data_, nullptr)), capacity_(std::exchange(o.capacity_, 0)) {}
  DeviceArray& operator=(DeviceArray&& o) noexcept {
    if (this != &o) {
      release();
      data_ = std::exchange(o.data_, nullptr);
      capacity_ = std::exchange(o.capacity_, 0);
    }
    return *this;
  }
  ~DeviceArray() { release(); }

  T* data() const { return data_; }
  std::int64_t capacity() const { return capacity_; }

  // Room for at least max(count, 1) elements; contents are not kept when it
  // grows. False, with nothing held, when the device is out of memory.
  bool reserve(std::int64_t count) {
    count = std::max<std::int64_t>(count, 1);
    if (data_ && capacity_ >= count) return true;
    release();
    T* block = nullptr;
    if (mallocArray(&block, static_cast<std::size_t>(count)) != Success) {
      getLastError();
      return false;
    }
    data_ = block;
    capacity_ = count;
    return true;
  }

  void release() {
    if (data_) free(data_);
    data_ = nullptr;
    capacity_ = 0;
  }

 private:
  T* data_ = nullptr;
  std::int64_t capacity_ = 0;
};

}  // namespace gpu
