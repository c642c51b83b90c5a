#include <atomic>

#include "gpu/Device.h"
#include "gpu/detail/FaultState.h"

namespace gpu {
namespace {

std::atomic<int> allocationsUntilFault{0};  // 0: disarmed
std::atomic<int> launchesUntilFault{0};
std::atomic<int> copiesUntilFault{0};
std::atomic<int> streamCreatesUntilFault{0};
std::atomic<int> asyncClearsUntilFault{0};
std::atomic<int> streamSynchronizesUntilFault{0};
std::atomic<bool> noDevice{false};
std::atomic<bool> noDeviceName{false};

// Counts one event; true when it is the one armed to fail.
bool countDown(std::atomic<int>& until) {
  int remaining = until.load();
  while (remaining > 0 && !until.compare_exchange_weak(remaining, remaining - 1)) {
  }
  return remaining == 1;
}

}  // namespace

void faults::failAllocation(int n) { allocationsUntilFault = n > 0 ? n : 0; }

void faults::setNoDevice(bool on) { noDevice = on; }
void faults::failLaunch(int n) { launchesUntilFault = n > 0 ? n : 0; }
void faults::failCopy(int n) { copiesUntilFault = n > 0 ? n : 0; }
void faults::setNoDeviceName(bool on) { noDeviceName = on; }
void faults::failStreamCreate(int n) { streamCreatesUntilFault = n > 0 ? n : 0; }
void faults::failAsyncClear(int n) { asyncClearsUntilFault = n > 0 ? n : 0; }
void faults::failStreamSynchronize(int n) { streamSynchronizesUntilFault = n > 0 ? n : 0; }

void faults::reset() {
  allocationsUntilFault = 0;
  launchesUntilFault = 0;
  copiesUntilFault = 0;
  streamCreatesUntilFault = 0;
  asyncClearsUntilFault = 0;
  streamSynchronizesUntilFault = 0;
  noDevice = false;
  noDeviceName = false;
}

bool detail::noDeviceInjected() { return noDevice; }

bool detail::allocationFaultDue() { return countDown(allocationsUntilFault); }
bool detail::launchFaultDue() { return countDown(launchesUntilFault); }
bool detail::copyFaultDue() { return countDown(copiesUntilFault); }
bool detail::deviceNameFaultInjected() { return noDeviceName; }
bool detail::streamCreateFaultDue() { return countDown(streamCreatesUntilFault); }
bool detail::asyncClearFaultDue() { return countDown(asyncClearsUntilFault); }
bool detail::streamSynchronizeFaultDue() { return countDown(streamSynchronizesUntilFault); }

}  // namespace gpu
