#pragma once
// The display encoding shared by the PNG and BMP writers: linear light to an
// integer code through the sRGB transfer curve, clamped to [0, 1].
#include <cmath>
#include <cstdint>

namespace formats {

// NaN and everything not above zero encode as 0 (a NaN pixel must not reach
// the integer conversion); values above 1 encode as 1.
inline double encodeSrgb(float linear) {
  if (!(linear > 0.f)) return 0.0;
  const double x = linear < 1.f ? linear : 1.0;
  return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
}

// Alpha is stored linearly, only clamped; NaN counts as transparent.
inline double clampAlpha(float alpha) {
  if (!(alpha > 0.f)) return 0.0;
  return alpha < 1.f ? alpha : 1.0;
}

// A [0, 1] value as the nearest code of 0 .. maxCode (halves round up).
inline std::uint32_t quantize(double unit, std::uint32_t maxCode) {
  return static_cast<std::uint32_t>(unit * maxCode + 0.5);
}

}  // namespace formats
