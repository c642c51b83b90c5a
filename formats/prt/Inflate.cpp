#include "formats/prt/Inflate.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "formats/prt/ByteOrder.h"
#include "formats/prt/HuffmanTable.h"

namespace prt {

namespace {

using namespace huffman;

constexpr std::size_t kWindowBytes = 32768;
// The window, one output run, the longest match and room for copies that
// run up to 7 bytes past their end.
constexpr std::size_t kOutputCapacity = kWindowBytes + kInflateOutputBytes + 258 + 8;
// Bytes of the previous piece kept for the 8-byte refill; see fetchInput().
constexpr std::size_t kInputCarry = 8;

constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct FixedTables {
  Entry literal[kLiteralTableSize];
  Entry distance[kDistanceTableSize];

  FixedTables() {
    std::uint8_t lengths[288];
    std::fill(lengths, lengths + 144, 8);
    std::fill(lengths + 144, lengths + 256, 9);
    std::fill(lengths + 256, lengths + 280, 7);
    std::fill(lengths + 280, lengths + 288, 8);
    buildTable(lengths, 288, literalLengthSymbols(), kLiteralRootBits, Incomplete::Refuse, literal,
               kLiteralTableSize);
    std::fill(lengths, lengths + 32, 5);
    buildTable(lengths, 32, distanceSymbols(), kDistanceRootBits, Incomplete::Refuse, distance,
               kDistanceTableSize);
  }
};

// Built on first use and shared by every decoder; the initialisation of a
// function-local static is thread-safe.
const FixedTables& fixedTables() {
  static const FixedTables tables;
  return tables;
}

inline std::uint64_t load64(const std::uint8_t* p) {
  if constexpr (std::endian::native != std::endian::little) return loadLE64(p);
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

class Inflater {
 public:
  Inflater(const InflateSource& source, const InflateSink& sink) : source_(source), sink_(sink) {}

  bool run(std::string& message) {
    need();
    const std::uint32_t cmf = take(8);
    const std::uint32_t flg = take(8);
    if (pastEnd() || (cmf & 0x0F) != 8 || (cmf * 256 + flg) % 31 != 0) {
      message = "not a zlib stream";
      return false;
    }
    if (flg & 0x20) {
      message = "zlib preset dictionary not supported";
      return false;
    }
    if (!decodeBlocks()) {
      message = "corrupt deflate data";
      return false;
    }
    return true;
  }

 private:
  bool decodeBlocks() {
    bool final = false;
    while (!final) {
      need();
      final = take(1) != 0;
      const std::uint32_t type = take(2);
      if (pastEnd()) return false;
      bool ok = false;
      if (type == 0) ok = storedBlock();
      else if (type == 1) ok = codedBlock(fixedTables().literal, fixedTables().distance);
      else if (type == 2) ok = dynamicTables() && codedBlock(literal_, distance_);
      if (!ok) return false;
    }
    return flush();
  }

  bool storedBlock() {
    drop(bitCount_ & 7);
    need();
    const std::uint32_t length = take(16);
    const std::uint32_t complement = take(16);
    if (pastEnd() || length != (~complement & 0xFFFF)) return false;
    std::size_t left = length;
    // Whole bytes already in the bit buffer come first.
    while (left > 0 && bitCount_ >= padBits_ + 8) {
      out_[pos_++] = static_cast<std::uint8_t>(take(8));
      ++produced_;
      --left;
    }
    if (pos_ - flushed_ >= kInflateOutputBytes && !flush()) return false;
    if (left == 0) return true;
    if (padBits_ > 0) return false;  // the input ended inside the block
    bits_ = 0;  // the buffer is empty; drop bits read ahead of inPos_
    bitCount_ = 0;
    while (left > 0) {
      if (inPos_ == inEnd_ && !fetchInput()) return false;
      const std::size_t room = kInflateOutputBytes - (pos_ - flushed_);
      const std::size_t n = std::min({left, static_cast<std::size_t>(inEnd_ - inPos_), room});
      std::memcpy(out_ + pos_, inPos_, n);
      inPos_ += n;
      pos_ += n;
      produced_ += n;
      left -= n;
      if (pos_ - flushed_ >= kInflateOutputBytes && !flush()) return false;
    }
    return true;
  }

  bool dynamicTables() {
    need();
    const int literalCount = static_cast<int>(take(5)) + 257;
    const int distanceCount = static_cast<int>(take(5)) + 1;
    const int codeLengthCount = static_cast<int>(take(4)) + 4;
    if (pastEnd() || literalCount > 286 || distanceCount > 30) return false;

    std::uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < codeLengthCount; ++i) {
      if (i % 16 == 0) need();
      lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(take(3));
    }
    if (pastEnd()) return false;
    if (!buildTable(lengths, 19, codeLengthSymbols(), kCodeLengthRootBits, Incomplete::Refuse, codeLength_,
                    kCodeLengthTableSize))
      return false;

    // The code-length code's own lengths are overwritten in order.
    const int total = literalCount + distanceCount;
    for (int i = 0; i < total;) {
      need();
      const Entry e = codeLength_[bits_ & ((1u << kCodeLengthRootBits) - 1)];
      drop(entryBits(e));
      const std::uint32_t symbol = entryValue(e);
      if (entryKind(e) != kLiteral) return false;
      if (symbol < 16) {
        lengths[i++] = static_cast<std::uint8_t>(symbol);
        continue;
      }
      std::uint8_t value = 0;
      int repeat;
      if (symbol == 16) {
        if (i == 0) return false;
        value = lengths[i - 1];
        repeat = 3 + static_cast<int>(take(2));
      } else if (symbol == 17) {
        repeat = 3 + static_cast<int>(take(3));
      } else {
        repeat = 11 + static_cast<int>(take(7));
      }
      if (pastEnd() || i + repeat > total) return false;
      std::fill(lengths + i, lengths + i + repeat, value);
      i += repeat;
    }
    if (pastEnd() || lengths[256] == 0) return false;  // a block must be able to end
    return buildTable(lengths, literalCount, literalLengthSymbols(), kLiteralRootBits, Incomplete::Refuse,
                      literal_, kLiteralTableSize) &&
           buildTable(lengths + literalCount, distanceCount, distanceSymbols(), kDistanceRootBits,
                      Incomplete::AllowSingleOrEmpty, distance_, kDistanceTableSize);
  }

  static Entry lookup(const Entry* table, int rootBits, std::uint64_t& bits, int& bitCount) {
    Entry e = table[bits & ((1u << rootBits) - 1)];
    if (entryKind(e) == kLink) {
      bits >>= rootBits;
      bitCount -= rootBits;
      e = table[entryValue(e) + (bits & ((1u << entryExtra(e)) - 1))];
    }
    bits >>= entryBits(e);
    bitCount -= static_cast<int>(entryBits(e));
    return e;
  }

  bool codedBlock(const Entry* literal, const Entry* distance) {
    // Locals let the compiler keep the hot state in registers.
    std::uint64_t bits = bits_;
    int bitCount = bitCount_;
    std::uint8_t* const out = out_;
    std::size_t pos = pos_;
    bool ok = false;
    for (;;) {
      if (bitCount < 48) {
        bits_ = bits, bitCount_ = bitCount;
        need();
        bits = bits_, bitCount = bitCount_;
      }
      const Entry e = lookup(literal, kLiteralRootBits, bits, bitCount);
      if (bitCount < padBits_) break;
      const Kind kind = entryKind(e);
      if (kind == kLiteral) {
        out[pos++] = static_cast<std::uint8_t>(entryValue(e));
        ++produced_;
      } else if (kind == kBase) {
        const std::uint32_t extra = entryExtra(e);
        const std::size_t length = entryValue(e) + (bits & ((1u << extra) - 1));
        bits >>= extra;
        bitCount -= static_cast<int>(extra);
        const Entry d = lookup(distance, kDistanceRootBits, bits, bitCount);
        if (entryKind(d) != kBase) break;
        const std::uint32_t distExtra = entryExtra(d);
        const std::size_t distanceBack = entryValue(d) + (bits & ((1u << distExtra) - 1));
        bits >>= distExtra;
        bitCount -= static_cast<int>(distExtra);
        if (bitCount < padBits_ || distanceBack > produced_) break;
        copyMatch(out + pos, distanceBack, length);
        pos += length;
        produced_ += length;
      } else {
        ok = kind == kEndOfBlock;
        break;
      }
      if (pos - flushed_ >= kInflateOutputBytes) {
        pos_ = pos;
        if (!flush()) break;
        pos = pos_;
      }
    }
    bits_ = bits, bitCount_ = bitCount, pos_ = pos;
    return ok;
  }

  // Copies `length` bytes from `distance` back; the source may overlap the
  // destination, which repeats the last `distance` bytes.
  static void copyMatch(std::uint8_t* dst, std::size_t distance, std::size_t length) {
    const std::uint8_t* src = dst - distance;
    if (distance >= 8) {
      // Each 8-byte step reads only bytes already written; the last one may
      // run up to 7 bytes past the end into the buffer's spare room.
      for (std::size_t i = 0; i < length; i += 8) std::memcpy(dst + i, src + i, 8);
    } else if (distance == 1) {
      std::memset(dst, src[0], length);
    } else {
      for (std::size_t i = 0; i < length; ++i) dst[i] = src[i];
    }
  }

  // Hands the pending output to the sink and keeps the last 32 KiB as the window.
  bool flush() {
    if (pos_ > flushed_ && !sink_(out_ + flushed_, pos_ - flushed_)) return false;
    if (pos_ > kWindowBytes) {
      std::memmove(out_, out_ + pos_ - kWindowBytes, kWindowBytes);
      pos_ = kWindowBytes;
    }
    flushed_ = pos_;
    return true;
  }

  // Makes at least 56 bits available. Past the end of the input the buffer is
  // padded with zero bits, counted in padBits_: consuming any of them means
  // the stream was truncated, which the callers check with pastEnd().
  void need() {
    if (inEnd_ - inPos_ >= 8) {
      // Bits above bitCount_ may hold a partial byte loaded ahead; it is the
      // same byte the next load brings, so OR-ing it again is harmless.
      bits_ |= load64(inPos_) << bitCount_;
      inPos_ += (63 - bitCount_) >> 3;
      bitCount_ |= 56;
      return;
    }
    while (bitCount_ <= 56) {
      if (inPos_ == inEnd_ && !fetchInput()) {
        padBits_ += 8;
        bitCount_ += 8;
        continue;
      }
      if (inEnd_ - inPos_ >= 8) return need();
      bits_ |= std::uint64_t(*inPos_++) << bitCount_;
      bitCount_ += 8;
    }
  }

  // Moves the few unread bytes to the front and appends the next piece.
  bool fetchInput() {
    if (ended_) return false;
    const std::size_t carry = static_cast<std::size_t>(inEnd_ - inPos_);
    std::memmove(in_, inPos_, carry);
    const std::size_t got = std::min(source_(in_ + carry, kInflateInputBytes), kInflateInputBytes);
    inPos_ = in_;
    inEnd_ = in_ + carry + got;
    if (got == 0) ended_ = true;
    return got > 0;
  }

  std::uint32_t take(int count) {
    const auto value = static_cast<std::uint32_t>(bits_ & ((std::uint64_t(1) << count) - 1));
    drop(count);
    return value;
  }
  void drop(int count) {
    bits_ >>= count;
    bitCount_ -= count;
  }
  void drop(std::uint32_t count) { drop(static_cast<int>(count)); }
  bool pastEnd() const { return bitCount_ < padBits_; }

  const InflateSource& source_;
  const InflateSink& sink_;

  std::uint8_t in_[kInputCarry + kInflateInputBytes];
  const std::uint8_t* inPos_ = in_;
  const std::uint8_t* inEnd_ = in_;
  bool ended_ = false;
  std::uint64_t bits_ = 0;
  int bitCount_ = 0;
  int padBits_ = 0;

  std::uint8_t out_[kOutputCapacity];
  std::size_t pos_ = 0;      // end of the decoded bytes in out_
  std::size_t flushed_ = 0;  // end of the bytes already given to the sink
  std::uint64_t produced_ = 0;

  Entry literal_[kLiteralTableSize];
  Entry distance_[kDistanceTableSize];
  Entry codeLength_[kCodeLengthTableSize];
};

}  // namespace

bool Inflate(const InflateSource& source, const InflateSink& sink, std::string& message) {
  // About 200 KiB of buffers and tables: too large for the stack.
  const auto inflater = std::make_unique<Inflater>(source, sink);
  return inflater->run(message);
}

}  // namespace prt
