#pragma once
// The device layer: one small API over device memory, copies, streams and
// errors. The cuda backend forwards to the CUDA runtime; the cpu backend plays
// the device with accounted host memory so that budgets and out-of-memory
// paths behave as they do on a card.
#include <cstddef>
#include <cstdint>
#include <string>

namespace gpu {

// Status codes carry the CUDA runtime's numbers so that texts and decisions
// are the same on both backends.
enum Status : int {
  Success = 0,
  ErrorInvalidValue = 1,
  ErrorMemoryAllocation = 2,
  ErrorInitialization = 3,
  ErrorInsufficientDriver = 35,
  ErrorNoDevice = 100,
  ErrorInvalidDevice = 101,
  ErrorInvalidResourceHandle = 400,
  ErrorLaunchFailure = 719,
  ErrorUnknown = 999,
};

enum class CopyKind { HostToDevice, DeviceToHost, DeviceToDevice };

struct StreamState;
using Stream = StreamState*;  // null is the default stream

const char* backendName();          // "cpu" or "cuda"
const char* errorString(Status s);  // the runtime's text for a status

Status getDeviceCount(int* count);
Status getDeviceName(int device, std::string* name);
Status memGetInfo(std::size_t* freeBytes, std::size_t* totalBytes);

Status malloc(void** ptr, std::size_t bytes);
Status free(void* ptr);
Status memcpy(void* dst, const void* src, std::size_t bytes, CopyKind kind);
Status memset(void* ptr, int value, std::size_t bytes);

Status getLastError();     // returns the last error and clears it
Status peekAtLastError();  // returns the last error and keeps it
Status deviceSynchronize();

Status streamCreate(Stream* stream);
Status streamDestroy(Stream stream);
Status streamSynchronize(Stream stream);
Status mallocAsync(void** ptr, std::size_t bytes, Stream stream);
Status freeAsync(void* ptr, Stream stream);
Status memsetAsync(void* ptr, int value, std::size_t bytes, Stream stream);
Status memcpyAsync(void* dst, const void* src, std::size_t bytes, CopyKind kind, Stream stream);

template <class T>
Status mallocArray(T** ptr, std::size_t count) {
  if (ptr == nullptr) return malloc(nullptr, 0);  // reports the invalid argument
  // A byte count that overflows asks for everything, which fails as out of
  // memory instead of wrapping to a small block.
  const std::size_t bytes = count > SIZE_MAX / sizeof(T) ? SIZE_MAX : count * sizeof(T);
  void* raw = nullptr;
  Status s = malloc(&raw, bytes);
  *ptr = static_cast<T*>(raw);
  return s;
}

// Test hooks that make failure paths reachable on any machine.
namespace faults {
// The n-th allocation from now (1 = the next one) fails with
// ErrorMemoryAllocation; 0 disarms.
void failAllocation(int n);
// While set, the device count query fails with ErrorNoDevice and every other
// call reports the same.
void setNoDevice(bool on);
// The n-th kernel launch from now (1 = the next) reports
// ErrorLaunchFailure; 0 disarms.
void failLaunch(int n);
// The n-th copy from now (synchronous or queued) fails with
// ErrorInvalidValue; 0 disarms.
void failCopy(int n);
// While set, the device name query fails with ErrorInvalidDevice.
void setNoDeviceName(bool on);
// The n-th stream creation from now fails with ErrorMemoryAllocation, the
// n-th queued clear (memsetAsync) with ErrorInvalidValue, the n-th stream
// synchronisation with ErrorLaunchFailure (as after a faulting kernel);
// 0 disarms.
void failStreamCreate(int n);
void failAsyncClear(int n);
void failStreamSynchronize(int n);
void reset();
}  // namespace faults

}  // namespace gpu
