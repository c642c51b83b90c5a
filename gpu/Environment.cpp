#include "gpu/detail/Environment.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace gpu::detail {

std::optional<std::uint64_t> positiveIntegerFromEnv(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr) return std::nullopt;
  const char* end = text + std::strlen(text);
  std::uint64_t value = 0;
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error != std::errc() || stop != end || value == 0) return std::nullopt;
  return value;
}

}  // namespace gpu::detail
