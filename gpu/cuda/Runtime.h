#pragma once
// Bridges between the device layer's types and the CUDA runtime's.
#include <cuda_runtime_api.h>

#include "gpu/Device.h"
#include "gpu/detail/LastError.h"

namespace gpu::cuda {

// Status carries the runtime's numbers, so the value converts unchanged; a
// failure is recorded for getLastError like every other failing call.
inline Status fromRuntime(cudaError_t error) {
  return detail::recordError(static_cast<Status>(error));
}

// False for a value outside CopyKind.
inline bool toRuntime(CopyKind kind, cudaMemcpyKind* out) {
  switch (kind) {
    case CopyKind::HostToDevice: *out = cudaMemcpyHostToDevice; return true;
    case CopyKind::DeviceToHost: *out = cudaMemcpyDeviceToHost; return true;
    case CopyKind::DeviceToDevice: *out = cudaMemcpyDeviceToDevice; return true;
  }
  return false;
}

inline cudaStream_t toRuntime(Stream stream) { return reinterpret_cast<cudaStream_t>(stream); }

}  // namespace gpu::cuda
