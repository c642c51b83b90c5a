#include "ink/FrameNaming.h"

#include <cstdint>
#include <limits>

#include "util/Format.h"

namespace ink {

std::optional<std::string> replaceFrameHashes(const std::string& pattern, int frame) {
  const std::size_t hashes = pattern.find("####");
  if (hashes == std::string::npos) return std::nullopt;
  return pattern.substr(0, hashes) + util::formatted("%04d", frame) + pattern.substr(hashes + 4);
}

std::string frameFileName(const std::string& pattern, int frame) {
  return *replaceFrameHashes(numberedPattern(pattern), frame);
}

std::string numberedPattern(const std::string& pattern) {
  if (pattern.find("####") != std::string::npos) return pattern;
  const std::size_t dot = pattern.rfind('.');
  if (dot == std::string::npos) return pattern + "_####";
  return pattern.substr(0, dot) + "_####" + pattern.substr(dot);
}

std::optional<TimeValue> frameTime(int frame, int ticksPerFrame) {
  const std::int64_t t = static_cast<std::int64_t>(frame) * ticksPerFrame;
  if (t <= TIME_NegInfinity || t >= TIME_PosInfinity) return std::nullopt;
  return static_cast<TimeValue>(t);
}

std::string frameRangeError(int first, int last, int ticksPerFrame) {
  if (static_cast<std::int64_t>(last) - first >= std::numeric_limits<int>::max())
    return "the frame range " + std::to_string(first) + " to " + std::to_string(last) + " is too long";
  for (const int f : {first, last})
    if (first <= last && !frameTime(f, ticksPerFrame))
      return "frame " + std::to_string(f) + " is outside the time range";
  return {};
}

bool endsWithExr(const std::string& name) {
  if (name.size() < 4) return false;
  const char* want = ".exr";
  for (std::size_t i = 0; i < 4; ++i) {
    char c = name[name.size() - 4 + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != want[i]) return false;
  }
  return true;
}

}  // namespace ink
