#include "formats/prt/PrtFormat.h"

#include <iterator>

namespace prt {

int dataTypeSize(std::int32_t code) {
  static constexpr int kSizes[] = {2, 4, 8, 2, 4, 8, 2, 4, 8, 1, 1};
  return code >= 0 && code < static_cast<std::int32_t>(std::size(kSizes)) ? kSizes[code] : 0;
}

}  // namespace prt
