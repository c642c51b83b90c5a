#pragma once
// Settings of the device layer read from the environment.
#include <cstdint>
#include <optional>

namespace gpu::detail {

// The variable's value if it is a positive decimal integer and nothing else;
// empty when unset or malformed, so callers fall back to their default.
std::optional<std::uint64_t> positiveIntegerFromEnv(const char* name);

}  // namespace gpu::detail
