#include "ink/sim/GpuContext.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "gpu/Device.h"

namespace ink {

namespace {
constexpr double kBytesPerGiB = 1073741824.0;

// The environment cap, read the way a 32-character buffer holds it: a
// longer value does not fit and counts as unset. Negative values cap at 0.
bool residentCap(std::int64_t& cap) {
  const char* value = std::getenv("ORB_INK_MAX_RESIDENT");
  if (!value || !*value || std::strlen(value) >= 32) return false;
  cap = std::max<std::int64_t>(0, std::strtoll(value, nullptr, 10));
  return true;
}
}  // namespace

bool describeDevice(std::string& text) {
  int count = 0;
  if (gpu::getDeviceCount(&count) != gpu::Success || count <= 0) {
    text = "CUDA unavailable";
    return false;
  }
  std::string name;
  std::size_t freeBytes = 0, totalBytes = 0;
  if (gpu::getDeviceName(0, &name) != gpu::Success || gpu::memGetInfo(&freeBytes, &totalBytes) != gpu::Success) {
    text = "CUDA unavailable";
    return false;
  }
  char line[512];
  std::snprintf(line, sizeof line, "%s, %.1f of %.1f GB free", name.c_str(), freeBytes / kBytesPerGiB,
                totalBytes / kBytesPerGiB);
  text = line;
  return true;
}

std::int64_t residentBudget(int bytesPerParticle, std::string& text) {
  if (!describeDevice(text)) return 0;
  std::size_t freeBytes = 0, totalBytes = 0;
  if (gpu::memGetInfo(&freeBytes, &totalBytes) != gpu::Success) return 0;
  const auto freeMem = static_cast<std::int64_t>(freeBytes);
  std::int64_t budget = freeMem <= kDeviceReserveBytes ? 0 : (freeMem - kDeviceReserveBytes) / std::max(bytesPerParticle, 1);
  std::int64_t cap;
  if (residentCap(cap) && cap < budget) budget = cap;
  return budget;
}

float gpuCapacityMillions() {
  std::string text;
  return static_cast<float>(static_cast<double>(residentBudget(kBytesPerInkParticle, text)) / 1e6);
}

std::int64_t automaticInkCount() {
  std::string text;
  const auto count = static_cast<std::int64_t>(0.8 * static_cast<double>(residentBudget(kBytesPerInkParticle, text)));
  return std::clamp<std::int64_t>(count, 1000, 2000000000);
}

namespace {
// MemAvailable of the kernel's memory report, in bytes; -1 when unreadable.
std::int64_t availablePhysicalMemory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string line;
  while (std::getline(meminfo, line)) {
    std::istringstream fields(line);
    std::string key;
    std::int64_t kib = -1;
    if (fields >> key >> kib && key == "MemAvailable:" && kib >= 0) return kib * 1024;
  }
  return -1;
}
}  // namespace

std::int64_t hostSnapshotBudget() {
  constexpr std::int64_t kGiB = 1ll << 30;
  const std::int64_t available = availablePhysicalMemory();
  if (available < 0) return 2 * kGiB;
  return std::min(available / 3, 16 * kGiB);
}

bool hostMemoryHolds(std::int64_t bytes) {
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return true;  // unknown: let the allocation decide
  return bytes <= static_cast<std::int64_t>(pages) * pageSize;
}

std::recursive_mutex& gpuLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace ink
