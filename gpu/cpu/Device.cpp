// Device queries, memory and errors of the cpu backend.
#include <cstring>

#include "gpu/Device.h"
#include "gpu/HostParallel.h"
#include "gpu/cpu/DeviceMemory.h"
#include "gpu/detail/FaultState.h"
#include "gpu/detail/LastError.h"

namespace gpu {

using detail::recordError;

const char* backendName() { return "cpu"; }

const char* errorString(Status s) {
  // The CUDA runtime's texts, so logs read the same on both backends.
  switch (s) {
    case Success: return "no error";
    case ErrorInvalidValue: return "invalid argument";
    case ErrorMemoryAllocation: return "out of memory";
    case ErrorInitialization: return "initialization error";
    case ErrorInsufficientDriver: return "CUDA driver version is insufficient for CUDA runtime version";
    case ErrorNoDevice: return "no CUDA-capable device is detected";
    case ErrorInvalidDevice: return "invalid device ordinal";
    case ErrorInvalidResourceHandle: return "invalid resource handle";
    case ErrorLaunchFailure: return "unspecified launch failure";
    case ErrorUnknown: return "unknown error";
  }
  return "unrecognized error code";
}

Status getDeviceCount(int* count) {
  if (count == nullptr) return recordError(ErrorInvalidValue);
  if (detail::noDeviceInjected()) {
    *count = 0;
    return recordError(ErrorNoDevice);
  }
  *count = 1;
  return Success;
}

Status getDeviceName(int device, std::string* name) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (detail::deviceNameFaultInjected()) return recordError(ErrorInvalidDevice);
  if (name == nullptr) return recordError(ErrorInvalidValue);
  if (device != 0) return recordError(ErrorInvalidDevice);
  *name = "CPU device (" + std::to_string(hostThreadCount()) + " threads)";
  return Success;
}

Status memGetInfo(std::size_t* freeBytes, std::size_t* totalBytes) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (freeBytes == nullptr || totalBytes == nullptr) return recordError(ErrorInvalidValue);
  const cpu::DeviceMemory& memory = cpu::deviceMemory();
  *freeBytes = memory.freeBytes();
  *totalBytes = memory.capacity();
  return Success;
}

Status malloc(void** ptr, std::size_t bytes) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (ptr == nullptr) return recordError(ErrorInvalidValue);
  if (detail::allocationFaultDue()) {
    *ptr = nullptr;
    return recordError(ErrorMemoryAllocation);
  }
  return recordError(cpu::deviceMemory().allocate(bytes, ptr));
}

Status free(void* ptr) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  return recordError(cpu::deviceMemory().release(ptr));
}

Status memcpy(void* dst, const void* src, std::size_t bytes, CopyKind kind) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (detail::copyFaultDue()) return recordError(ErrorInvalidValue);
  if (bytes == 0) return Success;
  if (dst == nullptr || src == nullptr) return recordError(ErrorInvalidValue);
  const cpu::DeviceMemory& memory = cpu::deviceMemory();
  bool inBounds = false;
  switch (kind) {
    case CopyKind::HostToDevice: inBounds = memory.holds(dst, bytes); break;
    case CopyKind::DeviceToHost: inBounds = memory.holds(src, bytes); break;
    case CopyKind::DeviceToDevice: inBounds = memory.holds(dst, bytes) && memory.holds(src, bytes); break;
  }
  if (!inBounds) return recordError(ErrorInvalidValue);
  std::memmove(dst, src, bytes);
  return Success;
}

Status memset(void* ptr, int value, std::size_t bytes) {
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  if (bytes == 0) return Success;
  if (!cpu::deviceMemory().holds(ptr, bytes)) return recordError(ErrorInvalidValue);
  std::memset(ptr, value, bytes);
  return Success;
}

Status getLastError() { return detail::takeRecordedError(); }

Status peekAtLastError() { return detail::peekRecordedError(); }

Status deviceSynchronize() {
  // Work runs to completion when it is issued, so there is nothing to wait for.
  if (detail::noDeviceInjected()) return recordError(ErrorNoDevice);
  return Success;
}

}  // namespace gpu
