#pragma once
// 32-bit float to 16-bit half as the EXR writer stores it. Rounding is half up
// on the first dropped bit (not to even), so a value exactly between two
// halves takes the larger magnitude; overflow becomes infinity and every NaN
// becomes the quiet NaN 0x7E00 with its sign kept. Kept apart from the
// particle files' conversion (formats/prt/Half.h): each file format fixes its own rounding.
#include <bit>
#include <cstdint>

namespace formats {

constexpr std::uint16_t halfFromFloat(float value) {
  const std::uint32_t g = std::bit_cast<std::uint32_t>(value);
  const std::uint32_t sign = (g >> 16) & 0x8000u;
  const std::uint32_t exponent = (g >> 23) & 0xFFu;
  const std::uint32_t mantissa = g & 0x7FFFFFu;
  std::uint32_t half = sign;  // exponents up to 101 flush to signed zero
  if (exponent == 255) {
    half = sign | (mantissa != 0 ? 0x7E00u : 0x7C00u);
  } else if (exponent >= 143) {
    half = sign | 0x7C00u;
  } else if (exponent >= 113) {
    // Rebias the exponent by adding 16 modulo 32; the rounding carry may run
    // into the exponent and up to infinity, which is the intended result.
    half = (sign | (((g >> 13) + 0x4000u) & 0x7FFFu)) + ((g >> 12) & 1u);
  } else if (exponent >= 102) {
    const std::uint32_t full = mantissa | 0x800000u;
    half = sign | ((full >> (126 - exponent)) + ((full >> (125 - exponent)) & 1u));
  }
  return static_cast<std::uint16_t>(half);
}

}  // namespace formats
