#include <atomic>

#include "gpu/Device.h"
#include "gpu/detail/FaultState.h"

namespace gpu {
namespace {

std::atomic<int> allocationsUntilFault{0};  // 0: disarmed
std::atomic<bool> noDevice{false};

}  // namespace

void faults::failAllocation(int n) { allocationsUntilFault = n > 0 ? n : 0; }

void faults::setNoDevice(bool on) { noDevice = on; }

void faults::reset() {
  allocationsUntilFault = 0;
  noDevice = false;
}

bool detail::noDeviceInjected() { return noDevice; }

bool detail::allocationFaultDue() {
  int remaining = allocationsUntilFault.load();
  while (remaining > 0 && !allocationsUntilFault.compare_exchange_weak(remaining, remaining - 1)) {
  }
  return remaining == 1;
}

}  // namespace gpu
