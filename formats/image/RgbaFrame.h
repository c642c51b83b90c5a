#pragma once
// The frames the PNG and BMP writers take: width × height pixels of four
// linear floats (R, G, B, A), rows top to bottom.
#include <cstddef>
#include <span>

namespace formats {

// True when the size is positive and the image holds every pixel; checked
// by division so that no product can overflow.
inline bool isRgbaFrame(std::span<const float> image, int width, int height) {
  return width > 0 && height > 0 &&
         image.size() / 4 / static_cast<std::size_t>(width) >= static_cast<std::size_t>(height);
}

}  // namespace formats
