#pragma once
// The device check, the one-line device description and the residency
// budget that every ink engine and the scripting capacity query share.
#include <cstdint>
#include <mutex>
#include <string>

namespace ink {

// Kept free for the renderer and the driver: 900 MiB.
constexpr std::int64_t kDeviceReserveBytes = 943718400;
constexpr int kBytesPerInkParticle = 16;

// False with "CUDA unavailable" when no device can be used; else true with
// "<device name>, <free> of <total> GB free" (GiB, one decimal).
bool describeDevice(std::string& text);

// Particles that may live on the device at `bytesPerParticle` each: free
// memory above the reserve, capped by ORB_INK_MAX_RESIDENT when that is set,
// non-empty and smaller. 0 without a device. `text` receives the device
// description.
std::int64_t residentBudget(int bytesPerParticle, std::string& text);

// The budget at 16 bytes per particle, in millions.
float gpuCapacityMillions();

// The ink count used when the render count is 0: 80 % of the 16-byte budget,
// between 1,000 and 2,000,000,000.
std::int64_t automaticInkCount();

// Host memory that snapshots may hold: a third of the available physical
// memory, at most 16 GiB; 2 GiB when the system cannot say.
std::int64_t hostSnapshotBudget();

// True when `bytes` of host memory can be held without paging the host out:
// no more than the physical memory. Large requests are refused up front, as
// the system would grant them lazily and end the process when touched.
bool hostMemoryHolds(std::int64_t bytes);

// The one process-wide lock held for the whole of every engine operation and
// every render. It is owner-aware: the thread that holds it may take it again
// (a render holds it for the whole frame and streams engines that take it
// themselves; sinks run under it), while every other thread waits until the
// owner has released it as often as it took it.
std::recursive_mutex& gpuLock();

}  // namespace ink
