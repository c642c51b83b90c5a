#pragma once
// What the fault hooks in Device.h have armed, as seen by the backends.

namespace gpu::detail {

// True while faults::setNoDevice(true) is in force.
bool noDeviceInjected();

// Counts one allocation; true when it is the one armed to fail.
bool allocationFaultDue();
// The same for launches and copies.
bool launchFaultDue();
bool copyFaultDue();
bool streamCreateFaultDue();
bool asyncClearFaultDue();
bool streamSynchronizeFaultDue();
// True while faults::setNoDeviceName(true) is in force.
bool deviceNameFaultInjected();

}  // namespace gpu::detail
