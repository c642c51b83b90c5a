#pragma once
// The 36-character identifier in a volume file's header, which readers use to
// tell files apart: two draws of a 64-bit Mersenne Twister seeded from a hash
// of the file's contents, so the same volume written twice (a frame rendered
// again on another machine) gives the same bytes.

#include <cstdint>
#include <string>

namespace formats::vdb {

constexpr int kIdentifierLength = 36;

// "%08x-%04x-%04x-%04x-%012llx" of a >> 32, (a >> 16) & 0xFFFF, a & 0xFFFF,
// b >> 48 and b & 0xFFFFFFFFFFFF.
std::string FormatIdentifier(uint64_t a, uint64_t b);

// The identifier of the contents whose hash is `seed`.
std::string IdentifierFor(uint64_t seed);

}  // namespace formats::vdb
