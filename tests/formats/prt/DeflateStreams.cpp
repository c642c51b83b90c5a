#include "DeflateStreams.h"

#include <algorithm>

namespace prttest {

void BitWriter::bits(std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) {
    if (used_ == 8) {
      bytes_.push_back(0);
      used_ = 0;
    }
    bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << used_++);
  }
}

void BitWriter::code(std::uint32_t code, int length) {
  for (int i = length - 1; i >= 0; --i) bits((code >> i) & 1, 1);
}

Bytes BitWriter::finish() {
  Bytes out = bytes_;
  out.insert(out.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  return out;
}

std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths) {
  int counts[16] = {};
  for (int length : lengths) ++counts[length];
  counts[0] = 0;
  std::uint32_t next[16] = {};
  for (int bits = 1, code = 0; bits < 16; ++bits) {
    code = (code + counts[bits - 1]) << 1;
    next[bits] = static_cast<std::uint32_t>(code);
  }
  std::vector<std::uint32_t> codes(lengths.size());
  for (std::size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s]) codes[s] = next[lengths[s]]++;
  return codes;
}

std::vector<std::pair<int, int>> runLengths(const std::vector<int>& lengths) {
  std::vector<std::pair<int, int>> out;
  for (std::size_t i = 0; i < lengths.size();) {
    std::size_t run = 1;
    while (i + run < lengths.size() && lengths[i + run] == lengths[i]) ++run;
    if (lengths[i] == 0 && run >= 11) {
      const int n = static_cast<int>(std::min<std::size_t>(run, 138));
      out.push_back({18, n - 11});
      i += n;
    } else if (lengths[i] == 0 && run >= 3) {
      const int n = static_cast<int>(std::min<std::size_t>(run, 10));
      out.push_back({17, n - 3});
      i += n;
    } else if (run >= 4) {
      out.push_back({lengths[i], 0});
      const int n = static_cast<int>(std::min<std::size_t>(run - 1, 6));
      out.push_back({16, n - 3});
      i += 1 + n;
    } else {
      out.push_back({lengths[i], 0});
      ++i;
    }
  }
  return out;
}

void dynamicHeader(BitWriter& out, bool final, int literalCount, int distanceCount,
                   const std::vector<std::pair<int, int>>& symbols) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<int> lengths(19);
  for (int s = 0; s < 19; ++s) lengths[s] = s <= 12 ? 4 : 5;
  const std::vector<std::uint32_t> codes = canonicalCodes(lengths);
  out.bits(final ? 1 : 0, 1);
  out.bits(2, 2);
  out.bits(static_cast<std::uint32_t>(literalCount - 257), 5);
  out.bits(static_cast<std::uint32_t>(distanceCount - 1), 5);
  out.bits(19 - 4, 4);
  for (int i = 0; i < 19; ++i) out.bits(static_cast<std::uint32_t>(lengths[kOrder[i]]), 3);
  static const int kExtraBits[3] = {2, 3, 7};
  for (const auto& [symbol, extra] : symbols) {
    out.code(codes[symbol], lengths[symbol]);
    if (symbol >= 16) out.bits(static_cast<std::uint32_t>(extra), kExtraBits[symbol - 16]);
  }
}

void fixedSymbol(BitWriter& out, int symbol) {
  if (symbol < 144) out.code(0x30 + symbol, 8);
  else if (symbol < 256) out.code(0x190 + (symbol - 144), 9);
  else if (symbol < 280) out.code(symbol - 256, 7);
  else out.code(0xC0 + (symbol - 280), 8);
}

}  // namespace prttest
