#include "formats/prt/HuffmanTable.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace prt::huffman {

namespace {

constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                             33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct Alphabets {
  std::array<Entry, 288> literalLength{};
  std::array<Entry, 32> distance{};
  std::array<Entry, 19> codeLength{};

  Alphabets() {
    for (std::uint32_t s = 0; s < 288; ++s) {
      if (s < 256) literalLength[s] = makeEntry(kLiteral, s, 0);
      else if (s == 256) literalLength[s] = makeEntry(kEndOfBlock, 0, 0);
      else if (s <= 285) literalLength[s] = makeEntry(kBase, kLengthBase[s - 257], kLengthExtra[s - 257]);
      else literalLength[s] = makeEntry(kInvalid, 0, 0);  // 286 and 287 occur only in the fixed code
    }
    for (std::uint32_t s = 0; s < 32; ++s)
      distance[s] = s < 30 ? makeEntry(kBase, kDistanceBase[s], kDistanceExtra[s]) : makeEntry(kInvalid, 0, 0);
    for (std::uint32_t s = 0; s < 19; ++s) codeLength[s] = makeEntry(kLiteral, s, 0);
  }
};

const Alphabets& alphabets() {
  static const Alphabets instance;
  return instance;
}

std::uint32_t reverseBits(std::uint32_t code, int bits) {
  std::uint32_t reversed = 0;
  for (int i = 0; i < bits; ++i, code >>= 1) reversed = (reversed << 1) | (code & 1);
  return reversed;
}

}  // namespace

const Entry* literalLengthSymbols() { return alphabets().literalLength.data(); }
const Entry* distanceSymbols() { return alphabets().distance.data(); }
const Entry* codeLengthSymbols() { return alphabets().codeLength.data(); }

bool buildTable(const std::uint8_t* lengths, int count, const Entry* symbols, int rootBits, Incomplete rule,
                Entry* table, std::size_t tableSize) {
  int perLength[kMaxCodeBits + 1] = {};
  for (int s = 0; s < count; ++s) {
    if (lengths[s] > kMaxCodeBits) return false;
    ++perLength[lengths[s]];
  }
  perLength[0] = 0;

  // Codes still free at each depth: negative means oversubscribed.
  int unused = 1;
  for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
    unused = unused * 2 - perLength[bits];
    if (unused < 0) return false;
  }
  if (unused > 0) {
    int codes = 0;
    for (int bits = 1; bits <= kMaxCodeBits; ++bits) codes += perLength[bits];
    const bool singleOrEmpty = codes == 0 || (codes == 1 && perLength[1] == 1);
    if (rule == Incomplete::Refuse || !singleOrEmpty) return false;
  }

  // First canonical code of each length.
  std::uint32_t nextCode[kMaxCodeBits + 1] = {};
  for (int bits = 1, code = 0; bits <= kMaxCodeBits; ++bits) {
    code = (code + perLength[bits - 1]) << 1;
    nextCode[bits] = static_cast<std::uint32_t>(code);
  }

  const std::uint32_t rootSize = 1u << rootBits;
  const Entry invalid = makeEntry(kInvalid, 0, 0, 1);
  for (std::uint32_t i = 0; i < rootSize; ++i) table[i] = invalid;

  // Second-level tables: each root slot gets one as deep as its longest code.
  std::uint8_t subBits[1u << kLiteralRootBits] = {};
  {
    std::uint32_t code[kMaxCodeBits + 1];
    std::copy(std::begin(nextCode), std::end(nextCode), code);
    for (int s = 0; s < count; ++s) {
      const int bits = lengths[s];
      if (bits <= rootBits) {
        if (bits) ++code[bits];
        continue;
      }
      const std::uint32_t slot = reverseBits(code[bits]++, bits) & (rootSize - 1);
      subBits[slot] = std::max<std::uint8_t>(subBits[slot], static_cast<std::uint8_t>(bits - rootBits));
    }
  }
  std::size_t next = rootSize;
  for (std::uint32_t slot = 0; slot < rootSize; ++slot) {
    if (!subBits[slot]) continue;
    const std::size_t size = std::size_t(1) << subBits[slot];
    if (next + size > tableSize) return false;
    table[slot] = makeEntry(kLink, static_cast<std::uint32_t>(next), subBits[slot], static_cast<std::uint32_t>(rootBits));
    for (std::size_t i = 0; i < size; ++i) table[next + i] = invalid;
    next += size;
  }

  for (int s = 0; s < count; ++s) {
    const int bits = lengths[s];
    if (!bits) continue;
    const std::uint32_t reversed = reverseBits(nextCode[bits]++, bits);
    if (bits <= rootBits) {
      for (std::uint32_t i = reversed; i < rootSize; i += 1u << bits)
        table[i] = symbols[s] | static_cast<std::uint32_t>(bits);
      continue;
    }
    const Entry link = table[reversed & (rootSize - 1)];
    const int levelBits = bits - rootBits;
    Entry* level = table + entryValue(link);
    for (std::uint32_t i = reversed >> rootBits; i < (1u << entryExtra(link)); i += 1u << levelBits)
      level[i] = symbols[s] | static_cast<std::uint32_t>(levelBits);
  }
  return true;
}

}  // namespace prt::huffman
