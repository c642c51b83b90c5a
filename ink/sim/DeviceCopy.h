#pragma once
// Typed whole-element copies between host and device; an empty copy is a
// success without a device call.
#include <cstdint>

#include "gpu/Device.h"

namespace ink {

template <class T>
gpu::Status upload(T* device, const T* host, std::int64_t count) {
  if (count <= 0) return gpu::Success;
  return gpu::memcpy(device, host, sizeof(T) * static_cast<std::size_t>(count), gpu::CopyKind::HostToDevice);
}

template <class T>
gpu::Status download(T* host, const T* device, std::int64_t count) {
  if (count <= 0) return gpu::Success;
  return gpu::memcpy(host, device, sizeof(T) * static_cast<std::size_t>(count), gpu::CopyKind::DeviceToHost);
}

}  // namespace ink
