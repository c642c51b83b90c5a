// Hand-made DEFLATE streams for the cases real zlib never produces: a bit
// writer and the canonical prefix codes of RFC 1951.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "PrtTestSupport.h"

namespace prttest {

class BitWriter {
 public:
  BitWriter() { bytes_ = {0x78, 0x9C}; }  // zlib header: deflate, 32 KiB window
  // `count` bits of `value`, least significant first (header fields, extras).
  void bits(std::uint32_t value, int count);
  // A prefix code, most significant bit first as DEFLATE sends codes.
  void code(std::uint32_t code, int length);
  // Pads to a byte and appends a four-byte trailer (never checked).
  Bytes finish();

 private:
  Bytes bytes_;
  int used_ = 8;  // bits used in the last byte
};

// Canonical codes for the given lengths (0 = unused symbol).
std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths);

// Code-length symbols (symbol, extra-bits value) that spell `lengths`, using
// the repeat codes 16, 17 and 18.
std::vector<std::pair<int, int>> runLengths(const std::vector<int>& lengths);

// Writes a dynamic block header: the counts, a complete code-length code
// (symbols 0-12 in 4 bits, 13-18 in 5) and the given code-length symbols.
void dynamicHeader(BitWriter& out, bool final, int literalCount, int distanceCount,
                   const std::vector<std::pair<int, int>>& symbols);

// The fixed literal/length code (RFC 1951, 3.2.6).
void fixedSymbol(BitWriter& out, int symbol);

}  // namespace prttest
