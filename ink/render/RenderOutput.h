#pragma once
// A rendered frame to an image file, the format chosen by the file name's
// ending: EXR with the colour channels and, with a pass record, the 24 pass
// channels; PNG; BMP.
#include <cstdint>
#include <span>
#include <string>

namespace ink {

struct FrameOutputSettings {
  bool exrFloat = false;   // 32-bit EXR channels (else half)
  std::int32_t bgMode = 0; // 1: transparent, so PNG colour is stored un-premultiplied
};

// Writes `image` (width × height × 4 floats, premultiplied linear RGBA, rows
// top to bottom) and, for EXR, `passes` (width × height × 24 floats, or
// empty) to the UTF-8 file name. On failure returns false with one line in
// `status` and leaves it untouched otherwise.
bool writeFrame(const std::string& fileName, std::span<const float> image, std::span<const float> passes, int width,
                int height, const FrameOutputSettings& settings, std::string& status);

}  // namespace ink
