#pragma once
// Uncompressed single-part scan-line OpenEXR files with any set of named
// channels (the colour and render-pass images of a frame).
#include <cstddef>
#include <span>
#include <string>

namespace formats {

// One image channel: width × height values read from host memory, rows top
// to bottom. Pixel (x, y) is data[(y × width + x) × stride].
struct ExrChannel {
  std::string name;             // 1 to 31 bytes, no NUL, unique in the file
  bool half = true;             // stored as 16-bit half when set, else 32-bit float
  const float* data = nullptr;  // the top-left pixel's value
  std::size_t stride = 1;       // floats between consecutive pixels
};

// Writes the channels, sorted by name, to the UTF-8 file name, one line of
// the image in memory at a time. On success the status is left as it was. On
// failure returns false with status set to one line:
// - "cannot write <name>" when the file cannot be opened, or when the
//   arguments cannot make a valid file (no channels, a size below 1 × 1, a
//   bad or repeated name, no data, a line past 2 GiB); no file is touched;
// - "write error <name>" when a write fails; the partial file stays on disk.
bool writeExr(const std::string& fileName, int width, int height, std::span<const ExrChannel> channels,
              std::string& status);

}  // namespace formats
