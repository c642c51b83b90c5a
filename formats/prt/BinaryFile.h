// Files named by UTF-8 paths, opened for raw byte I/O.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#ifdef _WIN32
#include "util/Utf8Path.h"
#endif

namespace prt {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// `mode` is "rb" or "wb". Null when the file cannot be opened.
inline FilePtr openBinaryFile(const std::string& utf8Path, const char* mode) {
#ifdef _WIN32
  const std::filesystem::path path = util::utf8Path(utf8Path);
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return FilePtr(_wfopen(path.c_str(), wideMode.c_str()));
#else
  return FilePtr(std::fopen(utf8Path.c_str(), mode));
#endif
}

// Byte offsets beyond 2 GiB on every platform; -1 / false on failure.
inline std::int64_t tellFile(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return ftello(file);
#endif
}

inline bool seekFile(std::FILE* file, std::int64_t offset, int origin) {
#ifdef _WIN32
  return _fseeki64(file, offset, origin) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

}  // namespace prt
