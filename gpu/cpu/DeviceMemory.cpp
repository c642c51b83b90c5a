#include "gpu/cpu/DeviceMemory.h"

#include <unistd.h>

#include <cstdlib>
#include <limits>
#include <new>

#include "gpu/detail/Environment.h"

namespace gpu::cpu {
namespace {

// cudaMalloc hands out blocks aligned at least this well; kernels may rely on it.
constexpr std::size_t kAlignment = 256;
constexpr std::size_t kFallbackCapacity = std::size_t{1} << 30;

std::size_t halfOfPhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return kFallbackCapacity;
  return static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
}

std::size_t configuredCapacity() {
  const auto mib = detail::positiveIntegerFromEnv("ORB_CPU_DEVICE_MB");
  if (mib && *mib <= (std::numeric_limits<std::size_t>::max() >> 20)) return *mib << 20;
  return halfOfPhysicalMemory();
}

}  // namespace

Status DeviceMemory::allocate(std::size_t bytes, void** ptr) {
  *ptr = nullptr;
  if (bytes == 0) return Success;
  std::lock_guard lock(mutex_);
  if (bytes > capacity_ - allocated_) return ErrorMemoryAllocation;
  // The capacity bounds bytes far below overflow of the rounding.
  void* block = std::aligned_alloc(kAlignment, (bytes + kAlignment - 1) / kAlignment * kAlignment);
  if (block == nullptr) return ErrorMemoryAllocation;
  try {
    blocks_.emplace(reinterpret_cast<std::uintptr_t>(block), bytes);
  } catch (const std::bad_alloc&) {
    std::free(block);
    return ErrorMemoryAllocation;
  }
  allocated_ += bytes;
  *ptr = block;
  return Success;
}

Status DeviceMemory::release(void* ptr) {
  if (ptr == nullptr) return Success;
  std::lock_guard lock(mutex_);
  const auto block = blocks_.find(reinterpret_cast<std::uintptr_t>(ptr));
  if (block == blocks_.end()) return ErrorInvalidValue;
  allocated_ -= block->second;
  blocks_.erase(block);
  std::free(ptr);
  return Success;
}

bool DeviceMemory::holds(const void* ptr, std::size_t bytes) const {
  const auto address = reinterpret_cast<std::uintptr_t>(ptr);
  std::lock_guard lock(mutex_);
  auto after = blocks_.upper_bound(address);
  if (after == blocks_.begin()) return false;
  const auto& [start, size] = *std::prev(after);
  const std::uintptr_t offset = address - start;
  return offset < size && bytes <= size - offset;
}

std::size_t DeviceMemory::freeBytes() const {
  std::lock_guard lock(mutex_);
  return capacity_ - allocated_;
}

DeviceMemory& deviceMemory() {
  // Never destroyed: device memory freed from other static destructors at
  // exit must still find its table.
  static DeviceMemory* memory = new DeviceMemory(configuredCapacity());
  return *memory;
}

}  // namespace gpu::cpu
