#pragma once
// Host-side steps the render host and the grid export share: typed copies,
// grow-and-upload, download into a host vector that may not throw, and
// streaming a source into a per-chunk launch.
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "gpu/Device.h"
#include "gpu/DeviceArray.h"
#include "gpu/FirstError.h"
#include "ink/sim/Chunk.h"

namespace ink {

// Test hook: the n-th host image or grid download, or host copy of a frame
// being written, from now (1 = the next) finds no host memory; 0 disarms.
// Makes the renderer's "not enough system memory" paths reachable on any
// machine.
namespace renderFaults {
void failHostAllocation(int n);
bool hostAllocationFaultDue();
}  // namespace renderFaults

template <class T>
gpu::Status upload(T* device, const T* host, std::int64_t count) {
  return gpu::memcpy(device, host, sizeof(T) * static_cast<std::size_t>(count), gpu::CopyKind::HostToDevice);
}

// The device sequence's failure as the status text.
inline bool report(const gpu::FirstError& device, std::string& status) {
  status = device.text();
  return false;
}

// Grows `buffer` to `count` floats (else `outOfMemory`) and copies `host` into it.
inline bool uploadFloats(gpu::DeviceArray<float>& buffer, const float* host, std::int64_t count,
                         gpu::FirstError& device, const char* outOfMemory, std::string& status) {
  if (!buffer.reserve(count)) {
    status = outOfMemory;
    return false;
  }
  return device.check(upload(buffer.data(), host, count)) || report(device, status);
}

// Resizes `host` to `count` floats and copies the device block into it;
// `noHostMemory` when the vector cannot grow.
inline bool downloadFloats(std::vector<float>& host, const float* device, std::int64_t count, gpu::FirstError& errors,
                           const char* noHostMemory, std::string& status) {
  try {
    if (renderFaults::hostAllocationFaultDue()) throw std::bad_alloc();
    host.resize(static_cast<std::size_t>(count));
  } catch (const std::exception&) {
    status = noHostMemory;
    return false;
  }
  return errors.check(gpu::memcpy(host.data(), device, sizeof(float) * static_cast<std::size_t>(count),
                                  gpu::CopyKind::DeviceToHost)) ||
         report(errors, status);
}

// Streams every chunk of `source` into launch(chunk), which returns false
// after a device failure recorded in `device`. The status then holds the
// device's text, or the source's own text when the source failed.
template <class Launch>
bool streamSource(const ChunkSource& source, gpu::FirstError& device, std::string& status, Launch launch) {
  std::string error;
  const bool streamed = source([&](const Chunk& chunk) { return launch(chunk); }, error);
  if (!device.ok()) return report(device, status);
  if (!streamed) {
    status = error.empty() ? "particle source failed" : error;
    return false;
  }
  return true;
}

}  // namespace ink
