// Decoder for zlib streams (RFC 1950) of DEFLATE data (RFC 1951): stored,
// fixed-code and dynamic-code blocks. Reads and writes in pieces, so streams
// of any length decode in constant memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace prt {

// Input pieces requested from the source are this large.
inline constexpr std::size_t kInflateInputBytes = 65536;
// Output reaches the sink in runs of at least this many bytes (the last run
// may be shorter).
inline constexpr std::size_t kInflateOutputBytes = 65536;

// Fills up to `capacity` bytes of `buffer` and returns how many it gave; 0 at the end.
using InflateSource = std::function<std::size_t(std::uint8_t* buffer, std::size_t capacity)>;
// Takes a run of decoded bytes; returns false to abort decoding.
using InflateSink = std::function<bool(const std::uint8_t* bytes, std::size_t size)>;

// Decodes one zlib stream up to and including its final block. The Adler-32
// trailer is neither read nor checked. Failures: "not a zlib stream",
// "zlib preset dictionary not supported", "corrupt deflate data" (also when
// the input ends early or the sink refuses a run).
bool Inflate(const InflateSource& source, const InflateSink& sink, std::string& message);

}  // namespace prt
