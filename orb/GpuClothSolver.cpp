#include "orb/GpuClothSolver.h"

#include <array>
#include <mutex>

#include "gpu/Device.h"
#include "gpu/FirstError.h"
#include "orb/ClothStep.h"
#include "orb/cuda/OrbKernels.h"

namespace orb {

namespace {

std::mutex& gpuClothMutex() {
  static std::mutex m;
  return m;
}

// The bake's device buffers, freed whatever happens.
struct DeviceBuffers {
  enum { kRest, kPos, kVel, kNewPos, kNewVel, kRecording, kCount };
  std::array<Vec*, kCount> ptr{};
  ~DeviceBuffers() {
    for (Vec* p : ptr)
      if (p) gpu::free(p);
  }
  // Allocates in order; false at the first failure.
  bool allocate(std::size_t particles, std::size_t recordedFrames) {
    for (int i = 0; i < kCount; ++i) {
      const std::size_t count = i == kRecording ? recordedFrames * particles : particles;
      if (gpu::mallocArray(&ptr[i], count) != gpu::Success) {
        ptr[i] = nullptr;
        return false;
      }
    }
    return true;
  }
};

}  // namespace

bool recordClothGpu(const Params& p, const ClothGrid& grid, const std::vector<Vec>& rest, std::vector<Vec>& recorded,
                    std::string& status) {
  std::lock_guard lock(gpuClothMutex());
  int devices = 0;
  if (gpu::getDeviceCount(&devices) != gpu::Success || devices <= 0) {
    gpu::getLastError();
    status = "CUDA unavailable";
    return false;
  }
  std::string name;
  status = gpu::getDeviceName(0, &name) == gpu::Success ? "CUDA: " + name : "CUDA device";
  gpu::getLastError();

  const int F = loopFrames(p), S = clothSubsteps(p);
  const std::size_t P = static_cast<std::size_t>(grid.particles());
  DeviceBuffers d;
  if (!d.allocate(P, 2 * static_cast<std::size_t>(F))) {
    gpu::getLastError();
    status = "CUDA: out of memory, CPU fallback";
    return false;
  }

  gpu::FirstError device;
  auto fail = [&] {
    status = device.text();
    return false;
  };
  const std::size_t bytes = P * sizeof(Vec);
  if (!device.check(gpu::memcpy(d.ptr[DeviceBuffers::kRest], rest.data(), bytes, gpu::CopyKind::HostToDevice)) ||
      !device.check(gpu::memcpy(d.ptr[DeviceBuffers::kPos], rest.data(), bytes, gpu::CopyKind::HostToDevice)) ||
      !device.check(gpu::memset(d.ptr[DeviceBuffers::kVel], 0, bytes)))
    return fail();

  // Launches are queued without waiting; the first failure stops the
  // schedule and is reported after it.
  const float dt = 1.f / (30.f * static_cast<float>(S));
  Vec *pos = d.ptr[DeviceBuffers::kPos], *vel = d.ptr[DeviceBuffers::kVel];
  Vec *newPos = d.ptr[DeviceBuffers::kNewPos], *newVel = d.ptr[DeviceBuffers::kNewVel];
  for (int i = 0; i < 4 * F && device.ok(); ++i) {
    for (int j = 0; j < S && device.ok(); ++j) {
      device.check(
          stepKernel(d.ptr[DeviceBuffers::kRest], pos, vel, newPos, newVel, grid, p, drivePhase(i * S + j, F, S), dt));
      std::swap(pos, newPos);
      std::swap(vel, newVel);
    }
    if (i >= 2 * F && device.ok())
      device.check(gpu::memcpyAsync(d.ptr[DeviceBuffers::kRecording] + (i - 2 * F) * P, pos, bytes,
                                    gpu::CopyKind::DeviceToDevice, nullptr));
  }
  if (!device.synchronize()) return fail();

  recorded.resize(2 * static_cast<std::size_t>(F) * P);
  if (!device.check(gpu::memcpy(recorded.data(), d.ptr[DeviceBuffers::kRecording], recorded.size() * sizeof(Vec),
                                gpu::CopyKind::DeviceToHost)))
    return fail();
  status += " cloth solver";
  return true;
}

}  // namespace orb
