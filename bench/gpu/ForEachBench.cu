// Memory bandwidth reached by forEach on y = a * x + y, which moves 12 bytes
// per item (two reads, one write); small sizes show the launch overhead.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gpu/Device.h"
#include "gpu/Launch.h"

namespace {

constexpr std::int64_t kBytesPerItem = 3 * sizeof(float);

gpu::Status saxpy(float a, const float* x, float* y, std::int64_t count) {
  return gpu::forEach("saxpy", count, [=] ORB_HD(std::int64_t i) { y[i] = a * x[i] + y[i]; });
}

void forEachSaxpy(benchmark::State& state) {
  const std::int64_t count = state.range(0);
  float* x = nullptr;
  float* y = nullptr;
  const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(float);
  if (gpu::mallocArray(&x, count) != gpu::Success || gpu::mallocArray(&y, count) != gpu::Success ||
      gpu::memset(x, 0, bytes) != gpu::Success || gpu::memset(y, 0, bytes) != gpu::Success) {
    state.SkipWithError(gpu::errorString(gpu::getLastError()));
  } else {
    for (auto _ : state) {
      if (saxpy(2.0f, x, y, count) != gpu::Success || gpu::deviceSynchronize() != gpu::Success) {
        state.SkipWithError(gpu::errorString(gpu::getLastError()));
        break;
      }
    }
    state.SetBytesProcessed(state.iterations() * count * kBytesPerItem);
  }
  gpu::free(x);
  gpu::free(y);
}

// The machine's own limit for comparison: a plain host copy of the same
// array size (one read and one write per byte).
void hostCopyReference(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * sizeof(float);
  std::vector<float> src(static_cast<std::size_t>(state.range(0)), 1.f), dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * 2 * bytes));
}

}  // namespace

BENCHMARK(hostCopyReference)->RangeMultiplier(16)->Range(1 << 12, 1 << 24)->UseRealTime();
BENCHMARK(forEachSaxpy)->RangeMultiplier(16)->Range(1 << 12, 1 << 24)->UseRealTime();
