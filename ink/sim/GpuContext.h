#pragma once
// The device check, the one-line device description and the residency
// budget that every ink engine and the scripting capacity query share.
#include <cstdint>
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

}  // namespace ink
