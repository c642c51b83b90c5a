#pragma once
// 16-bit RGBA PNG files of rendered frames.
#include <span>
#include <string>

namespace formats {

// Writes a linear RGBA frame (width × height × 4 floats, rows top to bottom)
// as a 16-bit RGBA PNG with an sRGB chunk: colour through the sRGB curve,
// alpha clamped to [0, 1], data uncompressed. The file name is UTF-8.
// Returns false, touching no file, when the size is not positive or the image
// holds fewer than width × height × 4 floats; false when the file cannot be
// opened or a write fails (a partial file then stays on disk).
bool writePng(const std::string& fileName, std::span<const float> image, int width, int height);

}  // namespace formats
