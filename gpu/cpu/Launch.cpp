#include "gpu/Launch.h"

#include <chrono>

#include "gpu/detail/FaultState.h"
#include "gpu/detail/LastError.h"
#include "gpu/detail/ThreadPool.h"

namespace gpu {
namespace {

// Outcome of this thread's latest launch, read by launchStatus.
thread_local Status lastLaunch = Success;

}  // namespace

void detail::parallelFor(const char* name, std::int64_t count,
                         const std::function<void(std::int64_t, std::int64_t)>& range) {
  if (noDeviceInjected()) {
    lastLaunch = ErrorNoDevice;
    return;
  }
  if (launchFaultDue()) {
    lastLaunch = ErrorLaunchFailure;
    return;
  }
  const auto started = std::chrono::steady_clock::now();
  lastLaunch = hostPool().run(count, range) ? Success : ErrorLaunchFailure;
  recordLaunch(name, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

Status detail::launchStatus() {
  const Status s = lastLaunch;
  lastLaunch = Success;
  return recordError(s);
}

}  // namespace gpu
