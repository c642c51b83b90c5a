#pragma once
// What the renderer's benchmark programs share: host lists to the device, a
// grid holding a ball of ink, the per-kernel times of a picture run and the
// Google Benchmark entry point.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "gpu/Device.h"
#include "gpu/DeviceArray.h"
#include "gpu/KernelStats.h"
#include "ink/render/RenderRecords.h"

namespace renderbench {

template <class T>
bool toDevice(gpu::DeviceArray<T>& d, const std::vector<T>& h) {
  return d.reserve(static_cast<std::int64_t>(h.size())) &&
         gpu::memcpy(d.data(), h.data(), sizeof(T) * h.size(), gpu::CopyKind::HostToDevice) == gpu::Success;
}

// `value` in every cell of `grid` whose centre lies within `radius` of the origin.
inline std::vector<float> densityBall(const ink::GridInfo& grid, float radius, float value) {
  const std::int64_t n = grid.n, cells = n * n * n;
  std::vector<float> density(static_cast<std::size_t>(cells), 0.f);
  auto centre = [&](std::int64_t i) { return (static_cast<float>(i) + 0.5f) * grid.cellSize - grid.halfExtent; };
  for (std::int64_t c = 0; c < cells; ++c) {
    const float x = centre(c % n), y = centre((c / n) % n), z = centre(c / (n * n));
    density[static_cast<std::size_t>(c)] = x * x + y * y + z * z < radius * radius ? value : 0.f;
  }
  return density;
}

// Launch counts and times of the renderer's kernels so far.
inline void printKernelTimes() {
  for (const gpu::KernelStats& k : gpu::kernelStats())
    if (k.name.rfind("ink::", 0) == 0 && k.name != "ink::advanceKernel" && k.name != "ink::restKernel")
      std::printf("  %-20s %4llu launches %8.3f s\n", k.name.c_str(), static_cast<unsigned long long>(k.launches),
                  k.seconds);
}

// Runs writePicture(argc, argv) when it takes the command line (it returns
// the exit status, or −1 when there is no picture to write); else the benchmarks.
template <class WritePicture>
int benchmarkMain(int argc, char** argv, WritePicture writePicture) {
  if (const int picture = writePicture(argc, argv); picture >= 0) return picture;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace renderbench
