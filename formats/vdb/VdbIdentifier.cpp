#include "formats/vdb/VdbIdentifier.h"

#include <cstdio>
#include <random>

namespace formats::vdb {

std::string FormatIdentifier(uint64_t a, uint64_t b) {
  char text[kIdentifierLength + 1];
  std::snprintf(text, sizeof text, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(a >> 32),
                static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFFF),
                static_cast<unsigned>(b >> 48),
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return std::string(text, kIdentifierLength);
}

std::string IdentifierFor(uint64_t seed) {
  std::mt19937_64 twister(seed);
  const uint64_t a = twister();
  const uint64_t b = twister();
  return FormatIdentifier(a, b);
}

}  // namespace formats::vdb
