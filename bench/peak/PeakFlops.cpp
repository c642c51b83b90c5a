// The vector floating-point peak of this machine: independent chains of
// fused multiply-adds on every thread of the host pool, at the widest level
// the machine has (AVX-512, else AVX2 with FMA). items_per_second is FLOP/s
// (a fused multiply-add counts two per lane). Twelve chains per thread cover
// the FMA latency on two pipes.
//   bench_peak --benchmark_filter=BM_FmaPeak
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <atomic>
#include <cstdint>

#include "gpu/HostParallel.h"
#include "gpu/LaneLaunch.h"

namespace {

constexpr int kChains = 12;
constexpr std::int64_t kRounds = 1 << 22;

template <class V, V (*Fma)(V, V, V), V (*Set)(float)>
ORB_ALWAYS_INLINE float chains(std::int64_t rounds) {
  V a[kChains];
  for (int k = 0; k < kChains; ++k) a[k] = Set(1.f + 0.001f * static_cast<float>(k));
  const V m = Set(0.9999999f), c = Set(1e-7f);
  for (std::int64_t r = 0; r < rounds; ++r)
    for (int k = 0; k < kChains; ++k) a[k] = Fma(a[k], m, c);
  float sum = 0.f;
  for (int k = 0; k < kChains; ++k) sum += reinterpret_cast<const float*>(&a[k])[0];
  return sum;
}

__attribute__((target("avx2,fma"))) __m256 fma256(__m256 a, __m256 b, __m256 c) { return _mm256_fmadd_ps(a, b, c); }
__attribute__((target("avx2,fma"))) __m256 set256(float x) { return _mm256_set1_ps(x); }
__attribute__((target("avx512f"))) __m512 fma512(__m512 a, __m512 b, __m512 c) { return _mm512_fmadd_ps(a, b, c); }
__attribute__((target("avx512f"))) __m512 set512(float x) { return _mm512_set1_ps(x); }

__attribute__((target("avx2,fma"), flatten)) float chainsAvx2(std::int64_t rounds) {
  return chains<__m256, fma256, set256>(rounds);
}
__attribute__((target("avx512f"), flatten)) float chainsAvx512(std::int64_t rounds) {
  return chains<__m512, fma512, set512>(rounds);
}

void BM_FmaPeak(benchmark::State& state) {
  const bool wide = gpu::vectorLevel() == gpu::VectorLevel::V4;
  if (!wide && gpu::vectorLevel() != gpu::VectorLevel::V3) {
    state.SkipWithError("no FMA instructions at this vector level");
    return;
  }
  const int threads = gpu::hostThreadCount();
  std::atomic<float> sink{0.f};
  for (auto _ : state) {
    gpu::hostParallelFor(threads, [&](std::int64_t begin, std::int64_t end) {
      for (std::int64_t t = begin; t < end; ++t) sink = sink + (wide ? chainsAvx512(kRounds) : chainsAvx2(kRounds));
    });
  }
  benchmark::DoNotOptimize(sink.load());
  const double lanes = wide ? 16.0 : 8.0;
  state.SetItemsProcessed(state.iterations() * threads * kRounds * kChains * static_cast<std::int64_t>(2 * lanes));
  state.counters["threads"] = threads;
}
BENCHMARK(BM_FmaPeak)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
