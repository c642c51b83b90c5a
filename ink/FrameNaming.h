#pragma once
// File names and times of the frames of a sequence.
#include <cstddef>
#include <optional>
#include <string>

#include "host/sdk/Time.h"

namespace ink {

// Export patterns longer than this are refused, never cut: a cut name could
// overwrite another file.
constexpr std::size_t kMaxPatternBytes = 1023;

// The pattern's first "####" replaced by the frame printed "%04d", when the
// pattern has one; frame −5 prints as −005. Every frame sequence, read or
// written, names its files this way first.
std::optional<std::string> replaceFrameHashes(const std::string& pattern, int frame);

// The written sequences' rule: the hashes as above; otherwise "_" and the
// frame ("%04d") inserted before the last "." of the whole pattern, or
// appended when it has none.
std::string frameFileName(const std::string& pattern, int frame);

// The pattern with "####" where frameFileName puts the frame, so that the
// rule above gives the same names through the hashes alone.
std::string numberedPattern(const std::string& pattern);

// The host time of a frame, computed in 64 bits; nothing when it falls
// outside the host's time range (the two infinities included).
std::optional<TimeValue> frameTime(int frame, int ticksPerFrame);

// "frame <f> is outside the time range" for the first frame of [first, last]
// whose time cannot be represented, or a line saying the range holds more
// frames than a count can; empty when the range is usable.
std::string frameRangeError(int first, int last, int ticksPerFrame);

// The last four characters compared case-insensitively with ".exr".
bool endsWithExr(const std::string& name);

}  // namespace ink
