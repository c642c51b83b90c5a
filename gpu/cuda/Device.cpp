// Device queries, memory and errors of the cuda backend: each call forwards to
// the CUDA runtime once the injected faults have had their say.
#include <cuda_runtime_api.h>

#include "gpu/Device.h"
#include "gpu/cuda/Runtime.h"
#include "gpu/detail/FaultState.h"
#include "gpu/detail/LastError.h"

namespace gpu {

using cuda::fromRuntime;
using detail::recordError;

const char* backendName() { return "cuda"; }

const char* errorString(Status s) { return cudaGetErrorString(static_cast<cudaError_t>(s)); }

Status getDeviceCount(int* count) {
  if (count == nullptr) return recordError(ErrorInvalidValue);
  *count = 0;
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  int found = 0;
  const Status s = fromRuntime(cudaGetDeviceCount(&found));
  if (s == Success) *count = found;
  return s;
}

Status getDeviceName(int device, std::string* name) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (detail::deviceNameFaultInjected()) return recordError(ErrorInvalidDevice);
  if (name == nullptr) return recordError(ErrorInvalidValue);
  cudaDeviceProp properties{};
  const Status s = fromRuntime(cudaGetDeviceProperties(&properties, device));
  if (s == Success) *name = properties.name;
  return s;
}

Status memGetInfo(std::size_t* freeBytes, std::size_t* totalBytes) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (freeBytes == nullptr || totalBytes == nullptr) return recordError(ErrorInvalidValue);
  return fromRuntime(cudaMemGetInfo(freeBytes, totalBytes));
}

Status malloc(void** ptr, std::size_t bytes) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (ptr == nullptr) return recordError(ErrorInvalidValue);
  if (detail::allocationFaultDue()) {
    *ptr = nullptr;
    return recordError(ErrorMemoryAllocation);
  }
  return fromRuntime(cudaMalloc(ptr, bytes));
}

Status free(void* ptr) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  return fromRuntime(cudaFree(ptr));
}

Status memcpy(void* dst, const void* src, std::size_t bytes, CopyKind kind) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (detail::copyFaultDue()) return recordError(ErrorInvalidValue);
  cudaMemcpyKind runtimeKind{};
  if (!cuda::toRuntime(kind, &runtimeKind)) return recordError(ErrorInvalidValue);
  return fromRuntime(cudaMemcpy(dst, src, bytes, runtimeKind));
}

Status memset(void* ptr, int value, std::size_t bytes) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  return fromRuntime(cudaMemset(ptr, value, bytes));
}

// The runtime's own slot is read (and cleared) too, so an error of a direct
// runtime call in kernel code is reported when the layer recorded none.
Status getLastError() {
  const Status runtime = static_cast<Status>(cudaGetLastError());
  const Status recorded = detail::takeRecordedError();
  return recorded != Success ? recorded : runtime;
}

Status peekAtLastError() {
  const Status runtime = static_cast<Status>(cudaPeekAtLastError());
  const Status recorded = detail::peekRecordedError();
  return recorded != Success ? recorded : runtime;
}

Status deviceSynchronize() {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  return fromRuntime(cudaDeviceSynchronize());
}

}  // namespace gpu
