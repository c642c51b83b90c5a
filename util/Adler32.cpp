#include "util/Adler32.h"

#include <algorithm>

namespace util {

namespace {

constexpr std::uint32_t kModulus = 65521;
// The most bytes whose sums cannot overflow 32 bits before the modulo.
constexpr std::size_t kMaxRun = 5552;
// Bytes summed side by side in independent lanes, which the compiler turns
// into vector code: the checksum must keep pace with the disk when writing.
constexpr std::size_t kLanes = 16;
static_assert(kMaxRun % kLanes == 0);

// Adds `chunks` × kLanes bytes to s1 and s2 (not yet reduced). Lane j holds
// A[j], the sum of its bytes, and P[j], the sum of A[j] before each chunk; a
// byte k chunks before the end of the run then weighs into s2 as in the
// byte-by-byte definition: s2 += n·s1 + Σ (n − position) · byte.
void addChunks(const std::uint8_t* p, std::size_t chunks, std::uint32_t& s1, std::uint32_t& s2) {
  std::uint32_t A[kLanes] = {}, P[kLanes] = {};
  for (std::size_t c = 0; c < chunks; ++c, p += kLanes) {
    for (std::size_t j = 0; j < kLanes; ++j) {
      P[j] += A[j];
      A[j] += p[j];
    }
  }
  std::uint64_t sum = 0, weighted = 0;
  for (std::size_t j = 0; j < kLanes; ++j) {
    sum += A[j];
    weighted += kLanes * (std::uint64_t(P[j]) + A[j]) - j * std::uint64_t(A[j]);
  }
  const std::uint64_t n = chunks * kLanes;
  s2 = static_cast<std::uint32_t>((s2 + n * s1 + weighted) % kModulus);
  s1 = static_cast<std::uint32_t>((s1 + sum) % kModulus);
}

}  // namespace

void Adler32::update(const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  std::uint32_t s1 = s1_, s2 = s2_;
  while (size >= kLanes) {
    const std::size_t chunks = std::min(size, kMaxRun) / kLanes;
    addChunks(p, chunks, s1, s2);
    p += chunks * kLanes;
    size -= chunks * kLanes;
  }
  for (; size > 0; --size) {
    s1 += *p++;
    s2 += s1;
  }
  s1_ = s1 % kModulus;
  s2_ = s2 % kModulus;
}

}  // namespace util
