#include "ink/PrtSequence.h"

#include <cstdio>

#include "ink/FrameNaming.h"
#include "util/Format.h"

namespace ink {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string prtFrameFileName(const std::string& pattern, int frame) {
  if (std::optional<std::string> named = replaceFrameHashes(pattern, frame)) return *named;

  const std::size_t slash = pattern.find_last_of("/\\");
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::size_t end = pattern.size();
  while (end > nameStart && !isDigit(pattern[end - 1])) --end;
  if (end == nameStart) return pattern;
  std::size_t start = end;
  while (start > nameStart && isDigit(pattern[start - 1])) --start;
  const int width = static_cast<int>(end - start);
  return pattern.substr(0, start) + util::formatted("%0*d", width, frame) + pattern.substr(end);
}

std::int64_t prtStride(std::int64_t count, std::int64_t limit) {
  return limit > 0 && limit < count ? (count + limit - 1) / limit : 1;
}

std::string prtInputKey(const std::string& file, std::int64_t stride, bool useColor, bool world,
                        const float (&matrix)[12]) {
  std::string key = file + "|" + std::to_string(static_cast<long long>(stride)) + "|" + (useColor ? "1" : "0") +
                    "|" + (world ? "1" : "0") + "|";
  char entry[64];
  for (float m : matrix) {
    std::snprintf(entry, sizeof entry, "%f|", static_cast<double>(m));
    key += entry;
  }
  return key;
}

}  // namespace ink
