// Streams of the cuda backend. The runtime cannot tell a stale stream handle
// from a live one, so the live ones are tracked here.
#include <cuda_runtime_api.h>

#include "gpu/Device.h"
#include "gpu/cuda/Runtime.h"
#include "gpu/detail/FaultState.h"
#include "gpu/detail/HandleTable.h"
#include "gpu/detail/LastError.h"

namespace gpu {

using cuda::fromRuntime;
using cuda::toRuntime;
using detail::recordError;

namespace {

detail::HandleTable<StreamState>& liveStreams() {
  static detail::HandleTable<StreamState> streams;
  return streams;
}

// The status an operation on `stream` starts from: Success when it may go on.
Status admit(Stream stream) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (stream != nullptr && !liveStreams().contains(stream)) {
    return recordError(ErrorInvalidResourceHandle);
  }
  return Success;
}

}  // namespace

Status streamCreate(Stream* stream) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (stream == nullptr) return recordError(ErrorInvalidValue);
  if (detail::streamCreateFaultDue()) return recordError(ErrorMemoryAllocation);
  cudaStream_t created = nullptr;
  const Status s = fromRuntime(cudaStreamCreate(&created));
  if (s != Success) return s;
  auto* handle = reinterpret_cast<StreamState*>(created);
  if (!liveStreams().add(handle)) {
    cudaStreamDestroy(created);
    return recordError(ErrorMemoryAllocation);
  }
  *stream = handle;
  return Success;
}

Status streamDestroy(Stream stream) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  // The default stream is never destroyed.
  if (!liveStreams().remove(stream)) return recordError(ErrorInvalidResourceHandle);
  return fromRuntime(cudaStreamDestroy(toRuntime(stream)));
}

Status streamSynchronize(Stream stream) {
  const Status s = admit(stream);
  if (s != Success) return s;
  if (detail::streamSynchronizeFaultDue()) return recordError(ErrorLaunchFailure);
  return fromRuntime(cudaStreamSynchronize(toRuntime(stream)));
}

Status mallocAsync(void** ptr, std::size_t bytes, Stream stream) {
  const Status s = admit(stream);
  if (s != Success) return s;
  if (ptr == nullptr) return recordError(ErrorInvalidValue);
  if (detail::allocationFaultDue()) {
    *ptr = nullptr;
    return recordError(ErrorMemoryAllocation);
  }
  return fromRuntime(cudaMallocAsync(ptr, bytes, toRuntime(stream)));
}

Status freeAsync(void* ptr, Stream stream) {
  const Status s = admit(stream);
  return s == Success ? fromRuntime(cudaFreeAsync(ptr, toRuntime(stream))) : s;
}

Status memsetAsync(void* ptr, int value, std::size_t bytes, Stream stream) {
  const Status s = admit(stream);
  if (s != Success) return s;
  if (detail::asyncClearFaultDue()) return recordError(ErrorInvalidValue);
  return fromRuntime(cudaMemsetAsync(ptr, value, bytes, toRuntime(stream)));
}

Status memcpyAsync(void* dst, const void* src, std::size_t bytes, CopyKind kind, Stream stream) {
  const Status s = admit(stream);
  if (s != Success) return s;
  if (detail::copyFaultDue()) return recordError(ErrorInvalidValue);
  cudaMemcpyKind runtimeKind{};
  if (!toRuntime(kind, &runtimeKind)) return recordError(ErrorInvalidValue);
  return fromRuntime(cudaMemcpyAsync(dst, src, bytes, runtimeKind, toRuntime(stream)));
}

}  // namespace gpu
