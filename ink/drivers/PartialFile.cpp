#include "ink/drivers/PartialFile.h"

#include <filesystem>
#include <system_error>

#include "util/Utf8Path.h"

namespace ink {

std::string partialFileName(const std::string& file) {
  const std::size_t slash = file.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = file.rfind('.');
  const bool hasExtension = dot != std::string::npos && dot > nameStart;
  const std::string stem = file.substr(nameStart, hasExtension ? dot - nameStart : std::string::npos);
  return file.substr(0, nameStart) + "." + stem + ".partial" + (hasExtension ? file.substr(dot) : "");
}

bool finishPartialFile(const std::string& file, std::string& status) {
  std::error_code error;
  std::filesystem::rename(util::utf8Path(partialFileName(file)), util::utf8Path(file), error);
  if (!error) return true;
  status = "cannot write " + file;
  abandonPartialFile(file, status);
  return false;
}

void abandonPartialFile(const std::string& file, std::string& status) {
  const std::string partial = partialFileName(file);
  std::error_code ignored;
  std::filesystem::remove(util::utf8Path(partial), ignored);
  for (std::size_t at = status.find(partial); at != std::string::npos; at = status.find(partial, at + file.size()))
    status.replace(at, partial.size(), file);
}

}  // namespace ink
