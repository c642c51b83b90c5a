// Conversions between 32-bit floats and IEEE half floats (float16) as stored
// in particle files.
#pragma once

#include <cstdint>

namespace prt {

// Rounds to nearest with ties away from zero. Magnitudes below 2^-14 become
// signed zero (no subnormals are written); 65536 and above, infinities and
// NaNs become signed infinity. Other tools read these bits, so the rounding is
// part of the file format.
std::uint16_t floatToHalf(float value);

// Full IEEE decoding: subnormals, infinities and NaNs included.
float halfToFloat(std::uint16_t half);

}  // namespace prt
