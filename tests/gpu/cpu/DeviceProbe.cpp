// Prints what one process of the cpu backend was configured with, and a
// checksum of a kernel's results, for tests that compare environments:
//   threads=<n> capacity=<bytes> checksum=<hex>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "gpu/Atomics.h"
#include "gpu/Device.h"
#include "gpu/HostParallel.h"
#include "gpu/Launch.h"

namespace {

constexpr std::int64_t kCount = 1000003;  // prime, so no slicing divides it evenly

std::uint64_t fnv1a(const void* data, std::size_t bytes, std::uint64_t hash) {
  const auto* byte = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < bytes; ++i) hash = (hash ^ byte[i]) * 1099511628211ull;
  return hash;
}

// A smoothing pass over a generated signal plus per-bin integer counts: any
// item skipped, repeated or read out of turn changes the checksum.
bool checksum(std::uint64_t* hash) {
  std::vector<float> signal(kCount), smooth(kCount);
  std::vector<float> bins(64, 0.0f);
  float* in = signal.data();
  float* out = smooth.data();
  float* counts = bins.data();
  const bool ok =
      gpu::forEach("signal", kCount, [=](std::int64_t i) { in[i] = std::sin(0.001f * i) * 100.0f; }) ==
          gpu::Success &&
      gpu::forEach("smooth", kCount, [=](std::int64_t i) {
        const float left = in[i > 0 ? i - 1 : i];
        const float right = in[i + 1 < kCount ? i + 1 : i];
        out[i] = 0.25f * left + 0.5f * in[i] + 0.25f * right;
        gpu::atomicAdd(&counts[static_cast<std::int64_t>(std::fabs(out[i])) % 64], 1.0f);
      }) == gpu::Success;
  *hash = fnv1a(bins.data(), bins.size() * sizeof(float),
                fnv1a(smooth.data(), smooth.size() * sizeof(float), 14695981039346656037ull));
  return ok;
}

}  // namespace

int main() {
  std::size_t freeBytes = 0, totalBytes = 0;
  std::uint64_t hash = 0;
  if (gpu::memGetInfo(&freeBytes, &totalBytes) != gpu::Success || !checksum(&hash)) return 1;
  std::printf("threads=%d capacity=%zu checksum=%016" PRIx64 "\n", gpu::hostThreadCount(), totalBytes, hash);
  return 0;
}
