// Files named by UTF-8 paths, opened for raw byte I/O.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include <filesystem>
#endif

namespace prt {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// `mode` is "rb" or "wb". Null when the file cannot be opened.
inline FilePtr openBinaryFile(const std::string& utf8Path, const char* mode) {
#ifdef _WIN32
  const std::filesystem::path path(std::u8string(utf8Path.begin(), utf8Path.end()));
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return FilePtr(_wfopen(path.c_str(), wideMode.c_str()));
#else
  return FilePtr(std::fopen(utf8Path.c_str(), mode));
#endif
}

}  // namespace prt
