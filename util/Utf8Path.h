#pragma once
// File names arrive as UTF-8 strings; the standard library's narrow-string
// paths would read them in the system code page on Windows.
#include <filesystem>
#include <string>

namespace util {

inline std::filesystem::path utf8Path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace util
