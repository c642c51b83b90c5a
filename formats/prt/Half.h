// Conversions between 32-bit floats and IEEE half floats (float16) as stored
// in particle files. Inline: writers and readers call them per component.
#pragma once

#include <bit>
#include <cstdint>

namespace prt {

// Rounds to nearest with ties away from zero. Magnitudes below 2^-14 become
// signed zero (no subnormals are written); 65536 and above, infinities and
// NaNs become signed infinity. Other tools read these bits, so the rounding is
// part of the file format, and differs from the EXR writer's (formats/image/Half.h).
inline std::uint16_t floatToHalf(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const auto sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
  const std::uint32_t exponent = (bits >> 23) & 0xFFu;
  if (exponent <= 112) return sign;
  if (exponent >= 143) return static_cast<std::uint16_t>(sign | 0x7C00u);
  // A mantissa that rounds up carries into the exponent by plain addition.
  const std::uint32_t mantissa = ((bits & 0x7FFFFFu) + 0x1000u) >> 13;
  return static_cast<std::uint16_t>(sign | (((exponent - 112) << 10) + mantissa));
}

// Full IEEE decoding: subnormals, infinities and NaNs included.
inline float halfToFloat(std::uint16_t half) {
  const std::uint32_t sign = std::uint32_t(half & 0x8000u) << 16;
  const std::uint32_t exponent = (half >> 10) & 0x1Fu;
  const std::uint32_t mantissa = half & 0x3FFu;
  if (exponent == 0) {
    const float magnitude = static_cast<float>(mantissa) * 0x1p-24f;  // zero or subnormal
    return sign ? -magnitude : magnitude;
  }
  const std::uint32_t floatExponent = exponent == 31 ? 255 : exponent + 112;
  return std::bit_cast<float>(sign | (floatExponent << 23) | (mantissa << 13));
}

}  // namespace prt
