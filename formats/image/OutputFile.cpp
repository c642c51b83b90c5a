#include "formats/image/OutputFile.h"

#include "util/Utf8Path.h"

namespace formats {

std::ofstream openForWriting(const std::string& utf8Name) {
  return std::ofstream(util::utf8Path(utf8Name), std::ios::binary | std::ios::trunc);
}

bool closeWritten(std::ofstream& file) {
  file.close();  // sets failbit when the last flush or the close fails
  return !file.fail();
}

}  // namespace formats
