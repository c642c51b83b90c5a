#pragma once
// 24-bit BMP files of rendered frames.
#include <span>
#include <string>

namespace formats {

// Writes a linear RGBA frame (width × height × 4 floats, rows top to bottom)
// as an uncompressed 24-bit bottom-up BMP: colour through the sRGB curve to
// 8 bits, alpha dropped. The file name is UTF-8. Returns false, touching no
// file, when the size is not positive, the image holds fewer than
// width × height × 4 floats or the file would exceed the format's 4 GiB;
// false when the file cannot be opened or a write fails.
bool writeBmp(const std::string& fileName, std::span<const float> image, int width, int height);

}  // namespace formats
