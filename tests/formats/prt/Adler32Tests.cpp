// Adler-32 against zlib's, across the modulo interval and in arbitrary pieces.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "PrtTestSupport.h"
#include "util/Adler32.h"

namespace {
std::uint32_t reference(const prttest::Bytes& data) {
  return static_cast<std::uint32_t>(adler32(1, data.data(), static_cast<uInt>(data.size())));
}
}  // namespace

TEST(Adler32, KnownValues) {
  util::Adler32 empty;
  EXPECT_EQ(empty.value(), 1u);
  util::Adler32 word;
  word.update("Wikipedia", 9);
  EXPECT_EQ(word.value(), 0x11E60398u);
}

TEST(Adler32, MatchesZlibAtEverySizeAroundTheModuloInterval) {
  for (std::size_t size : {1u, 7u, 8u, 5551u, 5552u, 5553u, 11104u, 11105u, 100000u}) {
    for (std::uint8_t fill : {0x00, 0x7F, 0xFF}) {  // 0xFF is the worst case for overflow
      const prttest::Bytes data(size, fill);
      util::Adler32 sum;
      sum.update(data.data(), data.size());
      EXPECT_EQ(sum.value(), reference(data)) << size << " bytes of " << int(fill);
    }
  }
}

TEST(Adler32, PiecesGiveTheSameSumAsOneUpdate) {
  const prttest::Bytes data = prttest::randomBytes(70000, 5);
  util::Adler32 sum;
  std::size_t at = 0;
  for (std::size_t piece = 1; at < data.size(); piece = piece * 3 + 1) {
    const std::size_t n = std::min(piece % 9000, data.size() - at);
    sum.update(data.data() + at, n);
    at += n;
  }
  EXPECT_EQ(sum.value(), reference(data));
}
