#pragma once
// The C++ type of a record field for each number kind of a parameter list, so
// one list can make both a block's table and the flat record that kernels and
// evaluators read. Records cross to the device, so the types are fixed-width.
#include <cstdint>

namespace util::field {
using Float = float;
using Int = std::int32_t;
using Bool = std::uint8_t;  // 0 / 1
}  // namespace util::field
