#include "gpu/Launch.h"

#include <algorithm>
#include <thread>

#include "gpu/cpu/Environment.h"
#include "gpu/cpu/ThreadPool.h"
#include "gpu/detail/FaultState.h"
#include "gpu/detail/LastError.h"

namespace gpu {
namespace {

// A mistyped ORB_CPU_THREADS must not try to start a million threads.
constexpr std::uint64_t kMaxThreads = 1024;

int configuredThreadCount() {
  if (const auto threads = cpu::positiveIntegerFromEnv("ORB_CPU_THREADS")) {
    return static_cast<int>(std::min(*threads, kMaxThreads));
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

cpu::ThreadPool& pool() {
  static cpu::ThreadPool threads(configuredThreadCount());
  return threads;
}

// Outcome of this thread's latest launch, read by launchStatus.
thread_local Status lastLaunch = Success;

}  // namespace

void detail::parallelFor(std::int64_t count,
                         const std::function<void(std::int64_t, std::int64_t)>& range) {
  if (noDeviceInjected()) {
    lastLaunch = ErrorNoDevice;
    return;
  }
  if (launchFaultDue()) {
    lastLaunch = ErrorLaunchFailure;
    return;
  }
  lastLaunch = pool().run(count, range) ? Success : ErrorLaunchFailure;
}

Status detail::launchStatus() {
  const Status s = lastLaunch;
  lastLaunch = Success;
  return recordError(s);
}

int threadCount() { return pool().threadCount(); }

}  // namespace gpu
