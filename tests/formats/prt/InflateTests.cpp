// The inflater against real zlib: every level and strategy round-trips byte
// for byte; damaged streams fail with the right message.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <thread>

#include "DeflateStreams.h"
#include "PrtTestSupport.h"
#include "formats/prt/Inflate.h"

using namespace prttest;

namespace {

constexpr const char* kCorrupt = "corrupt deflate data";

Bytes dataOfKind(int kind, std::size_t size, std::uint32_t seed) {
  return kind == 0 ? randomBytes(size, seed) : kind == 1 ? repetitiveBytes(size, seed) : textBytes(size, seed);
}

void expectRoundTrip(const Bytes& data, const Bytes& stream, const std::string& what) {
  const InflateResult result = inflateBytes(stream);
  ASSERT_TRUE(result.ok) << what << ": " << result.message;
  ASSERT_EQ(result.out.size(), data.size()) << what;
  ASSERT_TRUE(result.out == data) << what;
  for (std::size_t i = 0; i + 1 < result.runs.size(); ++i)
    ASSERT_GE(result.runs[i], prt::kInflateOutputBytes) << what << ": run " << i;
}

// Fixed-code block helpers: a literal, a match and the end of the block.
void literal(BitWriter& out, int byte) { fixedSymbol(out, byte); }
void fixedBlockStart(BitWriter& out, bool final = true) {
  out.bits(final ? 1 : 0, 1);
  out.bits(1, 2);
}

std::string inflateMessage(const Bytes& stream) {
  const InflateResult result = inflateBytes(stream);
  return result.ok ? "ok" : result.message;
}

}  // namespace

// ---- Round trips against zlib's deflate ------------------------------------

struct LevelStrategy {
  int level;
  int strategy;
};

class InflateZlibStreams : public ::testing::TestWithParam<LevelStrategy> {};

TEST_P(InflateZlibStreams, RoundTripEveryKindAndSize) {
  const auto [level, strategy] = GetParam();
  for (int kind = 0; kind < 3; ++kind) {
    for (std::size_t size : {0u, 1u, 777u, 65536u, 65537u, 250000u}) {
      const Bytes data = dataOfKind(kind, size, static_cast<std::uint32_t>(size + kind));
      expectRoundTrip(data, zlibCompress(data, level, strategy),
                      "kind " + std::to_string(kind) + ", " + std::to_string(size) + " bytes");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(LevelsAndStrategies, InflateZlibStreams, ::testing::ValuesIn([] {
                           std::vector<LevelStrategy> all;
                           for (int level = 0; level <= 9; ++level)
                             for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED})
                               all.push_back({level, strategy});
                           return all;
                         }()),
                         [](const auto& info) {
                           return "level" + std::to_string(info.param.level) + "_strategy" +
                                  std::to_string(info.param.strategy);
                         });

TEST(Inflate, RoundTripsSeveralMebibytes) {
  for (int level : {0, 1, 6, 9}) {
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes data = dataOfKind(kind, 6u << 20, 77);
      expectRoundTrip(data, zlibCompress(data, level), "level " + std::to_string(level) + " kind " +
                                                           std::to_string(kind));
    }
  }
}

TEST(Inflate, InputInTinyAndUnevenPiecesGivesTheSameOutput) {
  const Bytes data = repetitiveBytes(300000, 3);
  const Bytes stream = zlibCompress(data, 6);
  for (std::size_t piece : {1u, 2u, 7u, 8u, 9u, 4093u}) {
    const InflateResult result = inflateBytes(stream, piece);
    ASSERT_TRUE(result.ok) << piece << ": " << result.message;
    EXPECT_TRUE(result.out == data) << piece;
  }
  const Bytes stored = zlibCompress(data, 0);
  EXPECT_TRUE(inflateBytes(stored, 3).out == data);
}

TEST(Inflate, OutputReachesTheSinkInRunsOfAtLeast64KiB) {
  const Bytes data = textBytes(1000000, 9);
  const InflateResult result = inflateBytes(zlibCompress(data, 6));
  ASSERT_TRUE(result.ok);
  ASSERT_GE(result.runs.size(), 2u);
  std::size_t total = 0;
  for (std::size_t i = 0; i < result.runs.size(); ++i) {
    if (i + 1 < result.runs.size()) {
      EXPECT_GE(result.runs[i], 65536u);
    }
    EXPECT_LT(result.runs[i], 65536u + 259u);  // passed on as soon as the threshold is reached
    total += result.runs[i];
  }
  EXPECT_EQ(total, data.size());
}

TEST(Inflate, TrailerIsNeitherReadNorChecked) {
  const Bytes data = textBytes(5000, 1);
  Bytes stream = zlibCompress(data, 6);
  stream[stream.size() - 1] ^= 0xFF;  // wrong Adler-32
  EXPECT_TRUE(inflateBytes(stream).out == data);
  stream.resize(stream.size() - 4);  // no trailer at all
  EXPECT_TRUE(inflateBytes(stream).ok);
  stream.insert(stream.end(), 100, 0xAB);  // anything after the final block
  EXPECT_TRUE(inflateBytes(stream).out == data);
}

TEST(Inflate, FixedTablesAreSharedSafelyBetweenThreads) {
  const Bytes data = textBytes(400000, 4);
  const Bytes stream = zlibCompress(data, 6, Z_FIXED);
  std::vector<std::thread> threads;
  std::vector<int> good(8, 0);
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] { good[t] = inflateBytes(stream).out == data; });
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t) EXPECT_TRUE(good[t]) << t;
}

// ---- Hand-made streams: what is valid ---------------------------------------

TEST(Inflate, StoredThenFixedThenDynamicBlocks) {
  BitWriter out;
  out.bits(0, 1);  // stored, not final
  out.bits(0, 2);
  out.bits(0, 5);  // to the byte boundary
  out.bits(3, 16);
  out.bits(0xFFFC, 16);
  for (int c : {'a', 'b', 'c'}) out.bits(static_cast<std::uint32_t>(c), 8);
  fixedBlockStart(out, false);
  fixedSymbol(out, 257);  // length 3
  out.code(2, 5);         // distance 3
  fixedSymbol(out, 256);
  // Dynamic: 'z' in 1 bit, end and length 3 in 2 bits; one distance code of 1 bit.
  std::vector<int> lengths(258 + 1, 0);
  lengths['z'] = 1;
  lengths[256] = 2;
  lengths[257] = 2;
  lengths[258] = 1;  // distance symbol 0
  dynamicHeader(out, true, 258, 1, runLengths(lengths));
  const auto codes = canonicalCodes(std::vector<int>(lengths.begin(), lengths.begin() + 258));
  out.code(codes['z'], 1);
  out.code(codes[257], 2);
  out.code(0, 1);  // distance 1
  out.code(codes[256], 2);
  const InflateResult result = inflateBytes(out.finish());
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(std::string(result.out.begin(), result.out.end()), "abcabczzzz");
}

TEST(Inflate, DynamicBlockWithoutDistanceCodesHoldsOnlyLiterals) {
  std::vector<int> lengths(257 + 1, 0);
  lengths['q'] = 1;
  lengths[256] = 1;
  BitWriter out;
  dynamicHeader(out, true, 257, 1, runLengths(lengths));
  const auto codes = canonicalCodes(std::vector<int>(lengths.begin(), lengths.begin() + 257));
  out.code(codes['q'], 1);
  out.code(codes['q'], 1);
  out.code(codes[256], 1);
  const InflateResult result = inflateBytes(out.finish());
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(std::string(result.out.begin(), result.out.end()), "qq");
}

TEST(Inflate, MatchesReachTheWholeWindowAndOverlapThemselves) {
  // 32768 literals, then a 258-byte match from 32768 back, then runs of distance 1 and 7.
  Bytes data = randomBytes(32768, 8);
  BitWriter out;
  fixedBlockStart(out);
  for (std::uint8_t byte : data) literal(out, byte);
  fixedSymbol(out, 285);      // length 258
  out.code(29, 5);            // distance 24577 + 13 extra bits
  out.bits(32768 - 24577, 13);
  for (int i = 0; i < 258; ++i) data.push_back(data[data.size() - 32768]);
  fixedSymbol(out, 284);  // length 227 + 5 extra bits: 257
  out.bits(30, 5);
  out.code(0, 5);  // distance 1
  for (int i = 0; i < 257; ++i) data.push_back(data.back());
  fixedSymbol(out, 265);  // length 11 + 1 extra bit: 12
  out.bits(1, 1);
  out.code(5, 5);  // distance 7 + 1 extra bit: 7
  out.bits(0, 1);
  for (int i = 0; i < 12; ++i) data.push_back(data[data.size() - 7]);
  fixedSymbol(out, 256);
  const InflateResult result = inflateBytes(out.finish());
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_TRUE(result.out == data);
}

// ---- Header failures ---------------------------------------------------------

TEST(InflateFailure, HeadersThatAreNotZlib) {
  EXPECT_EQ(inflateMessage({}), "not a zlib stream");
  EXPECT_EQ(inflateMessage({0x78}), "not a zlib stream");
  EXPECT_EQ(inflateMessage({0x79, 0x9C, 0x03, 0x00}), "not a zlib stream");  // method 9
  EXPECT_EQ(inflateMessage({0x78, 0x9D, 0x03, 0x00}), "not a zlib stream");  // check bits wrong
  EXPECT_EQ(inflateMessage({0x1F, 0x8B, 0x08, 0x00}), "not a zlib stream");  // gzip
}

TEST(InflateFailure, PresetDictionaryIsRefused) {
  EXPECT_EQ(inflateMessage({0x78, 0xBB, 0, 0, 0, 0, 0x03, 0x00}), "zlib preset dictionary not supported");
  // A real stream made with a dictionary.
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, 6), Z_OK);
  const char dictionary[] = "glass orb ink";
  deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary), sizeof dictionary - 1);
  Bytes data = textBytes(1000, 2), stream(2000);
  z.next_in = data.data();
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = stream.data();
  z.avail_out = static_cast<uInt>(stream.size());
  ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  stream.resize(z.total_out);
  deflateEnd(&z);
  EXPECT_EQ(inflateMessage(stream), "zlib preset dictionary not supported");
}

// ---- Block failures ----------------------------------------------------------

TEST(InflateFailure, ReservedBlockType) {
  BitWriter out;
  out.bits(1, 1);
  out.bits(3, 2);
  EXPECT_EQ(inflateMessage(out.finish()), kCorrupt);
}

TEST(InflateFailure, StoredLengthsThatDisagreeOrRunPastTheInput) {
  BitWriter bad;
  bad.bits(1, 3);
  bad.bits(0, 5);
  bad.bits(5, 16);
  bad.bits(0xFFFB, 16);  // not the complement of 5
  EXPECT_EQ(inflateMessage(bad.finish()), kCorrupt);
  BitWriter shortBlock;
  shortBlock.bits(1, 3);
  shortBlock.bits(0, 5);
  shortBlock.bits(9, 16);
  shortBlock.bits(0xFFF6, 16);
  shortBlock.bits('x', 8);  // 1 of 9 bytes, then only the 4 trailer bytes
  EXPECT_EQ(inflateMessage(shortBlock.finish()), kCorrupt);
}

TEST(InflateFailure, DistanceBeyondTheBytesProduced) {
  BitWriter out;
  fixedBlockStart(out);
  literal(out, 'a');
  fixedSymbol(out, 257);
  out.code(1, 5);  // distance 2, but only 1 byte exists
  fixedSymbol(out, 256);
  EXPECT_EQ(inflateMessage(out.finish()), kCorrupt);
}

TEST(InflateFailure, ReservedLengthAndDistanceSymbolsOfTheFixedCode) {
  for (int symbol : {286, 287}) {
    BitWriter out;
    fixedBlockStart(out);
    literal(out, 'a');
    fixedSymbol(out, symbol);
    out.code(0, 5);
    fixedSymbol(out, 256);
    EXPECT_EQ(inflateMessage(out.finish()), kCorrupt) << symbol;
  }
  for (int distance : {30, 31}) {
    BitWriter out;
    fixedBlockStart(out);
    literal(out, 'a');
    fixedSymbol(out, 257);
    out.code(static_cast<std::uint32_t>(distance), 5);
    fixedSymbol(out, 256);
    EXPECT_EQ(inflateMessage(out.finish()), kCorrupt) << distance;
  }
}

TEST(InflateFailure, DynamicCountsAboveTheAlphabets) {
  for (const auto& [literals, distances] : {std::pair{287, 1}, std::pair{288, 1}, std::pair{257, 31}, std::pair{257, 32}}) {
    BitWriter out;
    out.bits(1, 1);
    out.bits(2, 2);
    out.bits(static_cast<std::uint32_t>(literals - 257), 5);
    out.bits(static_cast<std::uint32_t>(distances - 1), 5);
    out.bits(0, 4);
    for (int i = 0; i < 40; ++i) out.bits(0xFF, 8);
    EXPECT_EQ(inflateMessage(out.finish()), kCorrupt) << literals << " " << distances;
  }
}

TEST(InflateFailure, CodeLengthCodeMustBeComplete) {
  BitWriter out;
  out.bits(1, 1);
  out.bits(2, 2);
  out.bits(0, 5);
  out.bits(0, 5);
  out.bits(0, 4);  // 4 code-length lengths: 16, 17, 18, 0
  for (int length : {0, 0, 2, 2}) out.bits(static_cast<std::uint32_t>(length), 3);  // two of four 2-bit codes
  for (int i = 0; i < 80; ++i) out.bits(0, 8);
  EXPECT_EQ(inflateMessage(out.finish()), kCorrupt);
}

TEST(InflateFailure, RepeatsNeedAPreviousLengthAndStayInsideTheCount) {
  BitWriter first;
  dynamicHeader(first, true, 257, 1, {{16, 0}});
  EXPECT_EQ(inflateMessage(first.finish()), kCorrupt);

  BitWriter pastCount;  // 258 lengths declared, 276 spelled by the zero runs
  dynamicHeader(pastCount, true, 257, 1, {{18, 127}, {18, 127}});
  EXPECT_EQ(inflateMessage(pastCount.finish()), kCorrupt);

  BitWriter repeatPast;  // a repeat of a length that crosses the end of the table
  std::vector<std::pair<int, int>> symbols = {{18, 127}, {18, 107}, {1, 0}, {16, 3}};  // 138 + 118 + 1 + 6 > 258
  dynamicHeader(repeatPast, true, 257, 1, symbols);
  EXPECT_EQ(inflateMessage(repeatPast.finish()), kCorrupt);
}

TEST(InflateFailure, LiteralCodesThatAreOversubscribedIncompleteOrCannotEnd) {
  auto header = [](std::vector<int> lengths) {
    BitWriter out;
    lengths.resize(257 + 1, 0);
    lengths[257] = 1;  // one distance code
    dynamicHeader(out, true, 257, 1, runLengths(lengths));
    for (int i = 0; i < 20; ++i) out.bits(0, 8);
    return out.finish();
  };
  std::vector<int> over(257, 0);
  over['a'] = over['b'] = over[256] = 1;
  EXPECT_EQ(inflateMessage(header(over)), kCorrupt);
  std::vector<int> incomplete(257, 0);
  incomplete['a'] = incomplete[256] = 2;
  EXPECT_EQ(inflateMessage(header(incomplete)), kCorrupt);
  std::vector<int> onlyEnd(257, 0);
  onlyEnd[256] = 1;  // a single literal code is not among the allowed incomplete codes
  EXPECT_EQ(inflateMessage(header(onlyEnd)), kCorrupt);
  std::vector<int> noEnd(257, 0);
  noEnd['a'] = noEnd['b'] = 1;
  EXPECT_EQ(inflateMessage(header(noEnd)), kCorrupt);
}

TEST(InflateFailure, IncompleteDistanceCodesAllowOnlyOneOneBitCode) {
  auto stream = [](std::vector<int> distanceLengths, std::uint32_t distanceCode) {
    std::vector<int> lengths(258, 0);  // literal/length code: 'a', end, length 3
    lengths['a'] = 2;
    lengths[256] = 2;
    lengths[257] = 1;
    lengths.insert(lengths.end(), distanceLengths.begin(), distanceLengths.end());
    BitWriter out;
    dynamicHeader(out, true, 258, static_cast<int>(distanceLengths.size()), runLengths(lengths));
    const auto codes = canonicalCodes(std::vector<int>(lengths.begin(), lengths.begin() + 258));
    out.code(codes['a'], 2);
    out.code(codes[257], 1);
    out.code(distanceCode, 1);
    out.code(codes[256], 2);
    return out.finish();
  };
  EXPECT_EQ(inflateMessage(stream({1}, 0)), "ok");
  EXPECT_EQ(inflateMessage(stream({1}, 1)), kCorrupt);  // the unused half of the code
  EXPECT_EQ(inflateMessage(stream({0, 2}, 0)), kCorrupt);  // one 2-bit code is not allowed
  EXPECT_EQ(inflateMessage(stream({0}, 0)), kCorrupt);     // no distance codes, yet a match
}

TEST(InflateFailure, EveryTruncationBeforeTheTrailerFails) {
  for (int level : {0, 1, 9}) {
    const Bytes stream = zlibCompress(textBytes(3000, 6), level);
    for (std::size_t size = 0; size + 4 < stream.size(); ++size) {
      const Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(size));
      const std::string message = inflateMessage(cut);
      ASSERT_EQ(message, size < 2 ? "not a zlib stream" : kCorrupt) << "level " << level << ", " << size;
    }
  }
}

TEST(InflateFailure, SinkRefusalStopsDecoding) {
  const Bytes stream = zlibCompress(textBytes(500000, 3), 6);
  std::size_t at = 0;
  int calls = 0;
  std::string message;
  const bool ok = prt::Inflate(
      [&](std::uint8_t* buffer, std::size_t capacity) {
        const std::size_t n = std::min(capacity, stream.size() - at);
        if (n > 0) std::memcpy(buffer, stream.data() + at, n);
        at += n;
        return n;
      },
      [&](const std::uint8_t*, std::size_t) { return ++calls < 2; }, message);
  EXPECT_FALSE(ok);
  EXPECT_EQ(message, kCorrupt);
  EXPECT_EQ(calls, 2);
}

TEST(InflateFailure, BitFlipsAgreeWithZlib) {
  // Our verdict and output must match zlib's raw inflate (which, like ours,
  // ignores the trailer here) on thousands of damaged streams.
  std::mt19937 rng(2024);
  int failures = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const int kind = trial % 3;
    const Bytes data = dataOfKind(kind, 200 + rng() % 5000, static_cast<std::uint32_t>(trial));
    Bytes stream = zlibCompress(data, static_cast<int>(rng() % 10), static_cast<int>(rng() % 5));
    const int flips = 1 + static_cast<int>(rng() % 3);
    for (int f = 0; f < flips; ++f) {
      const std::size_t bit = 16 + rng() % ((stream.size() - 6) * 8);
      stream[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
    }
    Bytes expected;
    const bool zlibOk = zlibInflateRaw(stream, expected);
    const InflateResult ours = inflateBytes(stream);
    ASSERT_EQ(ours.ok, zlibOk) << "trial " << trial << ": " << ours.message;
    if (zlibOk) {
      ASSERT_TRUE(ours.out == expected) << "trial " << trial;
    } else {
      ASSERT_EQ(ours.message, kCorrupt) << "trial " << trial;
    }
    failures += !zlibOk;
  }
  EXPECT_GT(failures, 500);  // the damage really is found, not just tolerated
}
