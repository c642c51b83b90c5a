#pragma once
// printf-style formatting into a string of whatever length the result has.
#include <algorithm>
#include <cstdio>
#include <string>

namespace util {

template <class... Args>
std::string formatted(const char* format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

}  // namespace util
