#include "formats/image/OutputFile.h"

#include <filesystem>
#include <string_view>

namespace formats {

std::ofstream openForWriting(const std::string& utf8Name) {
  const std::u8string_view utf8(reinterpret_cast<const char8_t*>(utf8Name.data()), utf8Name.size());
  return std::ofstream(std::filesystem::path(utf8), std::ios::binary | std::ios::trunc);
}

bool closeWritten(std::ofstream& file) {
  file.close();  // sets failbit when the last flush or the close fails
  return !file.fail();
}

}  // namespace formats
