// Lookup tables for canonical DEFLATE prefix codes. Codes arrive least
// significant bit first, so a table is indexed by the next `rootBits` input
// bits; codes longer than that continue in a second-level table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace prt::huffman {

// One table entry, packed: bits 0-7 input bits to drop, 8-11 extra bits (or
// the index bits of a second-level table), 12-15 kind, 16-31 value.
using Entry = std::uint32_t;

enum Kind : std::uint32_t {
  kLiteral = 0,  // value: the byte (or a code-length symbol)
  kBase = 1,     // value: a match length or distance base, plus `extra` bits
  kEndOfBlock = 2,
  kLink = 3,     // value: offset of the second-level table, `extra`: its index bits
  kInvalid = 4,  // a symbol the alphabet reserves, or an unused code
};

constexpr Entry makeEntry(Kind kind, std::uint32_t value, std::uint32_t extra, std::uint32_t bits = 0) {
  return (value << 16) | (std::uint32_t(kind) << 12) | (extra << 8) | bits;
}
constexpr std::uint32_t entryBits(Entry e) { return e & 0xFF; }
constexpr std::uint32_t entryExtra(Entry e) { return (e >> 8) & 0xF; }
constexpr Kind entryKind(Entry e) { return Kind((e >> 12) & 0xF); }
constexpr std::uint32_t entryValue(Entry e) { return e >> 16; }

inline constexpr int kMaxCodeBits = 15;
inline constexpr int kLiteralRootBits = 10;
inline constexpr int kDistanceRootBits = 8;
inline constexpr int kCodeLengthRootBits = 7;

// Table sizes that hold any valid code: the root plus, for each symbol with a
// longer code at most, one second-level table of 2^(15 - root) entries.
inline constexpr std::size_t kLiteralTableSize = (1u << kLiteralRootBits) + 288 * (1u << (15 - kLiteralRootBits));
inline constexpr std::size_t kDistanceTableSize = (1u << kDistanceRootBits) + 32 * (1u << (15 - kDistanceRootBits));
inline constexpr std::size_t kCodeLengthTableSize = 1u << kCodeLengthRootBits;

// Which incomplete codes are accepted: DEFLATE allows a distance code that has
// a single one-bit code or no codes at all; every other code must be complete.
enum class Incomplete { Refuse, AllowSingleOrEmpty };

// Entries for the literal/length, distance and code-length alphabets, without
// their bit counts.
const Entry* literalLengthSymbols();  // 288 symbols
const Entry* distanceSymbols();       // 32 symbols
const Entry* codeLengthSymbols();     // 19 symbols

// Builds the table for `count` symbols with the given code lengths (0 =
// unused). False when the lengths do not form a prefix code, or the code is
// incomplete where that is refused.
bool buildTable(const std::uint8_t* lengths, int count, const Entry* symbols, int rootBits, Incomplete rule,
                Entry* table, std::size_t tableSize);

}  // namespace prt::huffman
