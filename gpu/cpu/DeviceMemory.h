#pragma once
// Host memory playing device memory: every block is tracked with its size and
// counted against a fixed capacity, so budgets and out-of-memory paths behave
// as on a card and copies can be checked against the blocks they touch.
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>

#include "gpu/Device.h"

namespace gpu::cpu {

class DeviceMemory {
 public:
  explicit DeviceMemory(std::size_t capacity) : capacity_(capacity) {}
  DeviceMemory(const DeviceMemory&) = delete;
  DeviceMemory& operator=(const DeviceMemory&) = delete;

  // Zero bytes succeed with a null block, as cudaMalloc does.
  Status allocate(std::size_t bytes, void** ptr);
  Status release(void* ptr);

  // True when [ptr, ptr + bytes) lies inside one live block.
  bool holds(const void* ptr, std::size_t bytes) const;

  std::size_t capacity() const { return capacity_; }
  std::size_t freeBytes() const;

 private:
  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::size_t allocated_ = 0;
  std::map<std::uintptr_t, std::size_t> blocks_;  // start address -> size
};

// The process's device, sized by ORB_CPU_DEVICE_MB (MiB) or else half of the
// physical memory.
DeviceMemory& deviceMemory();

}  // namespace gpu::cpu
