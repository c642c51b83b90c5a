// libFuzzer target: any byte string as a zlib stream. The input is handed
// over in pieces whose size comes from the first byte, so piece boundaries
// fall everywhere; the output must never exceed what the sink was promised.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "formats/prt/Inflate.h"

static volatile std::uint8_t observed;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = 1 + data[0] * 257u;
  ++data, --size;
  std::size_t at = 0;
  std::size_t produced = 0;
  std::string message;
  prt::Inflate(
      [&](std::uint8_t* buffer, std::size_t capacity) {
        const std::size_t n = std::min({piece, capacity, size - at});
        if (n > 0) std::memcpy(buffer, data + at, n);
        at += n;
        return n;
      },
      [&](const std::uint8_t* bytes, std::size_t count) {
        // Read every byte so the sanitizer checks the whole run.
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i < count; ++i) sum ^= bytes[i];
        observed = sum;
        produced += count;
        return produced < (std::size_t(64) << 20);  // bound the work per input
      },
      message);
  return 0;
}
