// Streams of the cpu backend: work issued on a stream runs at once, in issue
// order, so a stream only needs to exist to be valid.
#include <new>

#include "gpu/Device.h"
#include "gpu/detail/FaultState.h"
#include "gpu/detail/HandleTable.h"
#include "gpu/detail/LastError.h"

namespace gpu {

struct StreamState {};

namespace {

detail::HandleTable<StreamState>& liveStreams() {
  static detail::HandleTable<StreamState> streams;
  return streams;
}

// The status an operation on `stream` starts from: Success when it may go on.
Status admit(Stream stream) {
  if (detail::noDeviceInjected()) return detail::recordError(ErrorNoDevice);
  if (stream != nullptr && !liveStreams().contains(stream)) {
    return detail::recordError(ErrorInvalidResourceHandle);
  }
  return Success;
}

}  // namespace

Status streamCreate(Stream* stream) {
  if (detail::noDeviceInjected()) return detail::recordError(ErrorNoDevice);
  if (stream == nullptr) return detail::recordError(ErrorInvalidValue);
  if (detail::streamCreateFaultDue()) return detail::recordError(ErrorMemoryAllocation);
  auto* created = new (std::nothrow) StreamState;
  if (created == nullptr || !liveStreams().add(created)) {
    delete created;
    return detail::recordError(ErrorMemoryAllocation);
  }
  *stream = created;
  return Success;
}

Status streamDestroy(Stream stream) {
  if (detail::noDeviceInjected()) return detail::recordError(ErrorNoDevice);
  // The default stream is never destroyed.
  if (!liveStreams().remove(stream)) return detail::recordError(ErrorInvalidResourceHandle);
  delete stream;
  return Success;
}

Status streamSynchronize(Stream stream) {
  const Status s = admit(stream);
  if (s == Success && detail::streamSynchronizeFaultDue()) return detail::recordError(ErrorLaunchFailure);
  return s;
}

Status mallocAsync(void** ptr, std::size_t bytes, Stream stream) {
  const Status s = admit(stream);
  return s == Success ? malloc(ptr, bytes) : s;
}

Status freeAsync(void* ptr, Stream stream) {
  const Status s = admit(stream);
  return s == Success ? free(ptr) : s;
}

Status memsetAsync(void* ptr, int value, std::size_t bytes, Stream stream) {
  const Status s = admit(stream);
  if (s != Success) return s;
  if (detail::asyncClearFaultDue()) return detail::recordError(ErrorInvalidValue);
  return memset(ptr, value, bytes);
}

Status memcpyAsync(void* dst, const void* src, std::size_t bytes, CopyKind kind, Stream stream) {
  const Status s = admit(stream);
  return s == Success ? memcpy(dst, src, bytes, kind) : s;
}

}  // namespace gpu
