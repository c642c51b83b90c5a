#include "ink/render/RenderOutput.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "formats/image/Bmp.h"
#include "formats/image/Exr.h"
#include "formats/image/Png.h"
#include "ink/render/RenderPasses.h"
#include "ink/render/RenderUpload.h"

namespace ink {
namespace {

// The last four characters, lower-cased (the whole name when shorter).
std::string fileEnding(const std::string& fileName) {
  std::string ending = fileName.size() > 4 ? fileName.substr(fileName.size() - 4) : fileName;
  for (char& c : ending)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ending;
}

// True when `floats` holds `perPixel` floats for every pixel; by division,
// so no product can overflow.
bool holdsPixels(std::span<const float> floats, int width, int height, std::size_t perPixel) {
  return width > 0 && height > 0 &&
         floats.size() / perPixel / static_cast<std::size_t>(width) >= static_cast<std::size_t>(height);
}

bool writeExrFrame(const std::string& fileName, std::span<const float> image, std::span<const float> passes,
                   int width, int height, bool half, std::string& status) {
  if (!holdsPixels(image, width, height, 4) ||
      (!passes.empty() && !holdsPixels(passes, width, height, kPassRecordFloats))) {
    status = "cannot write " + fileName;
    return false;
  }
  // The channels point into the frame's own buffers: nothing is copied.
  std::vector<formats::ExrChannel> channels;
  try {
    if (renderFaults::hostAllocationFaultDue()) throw std::bad_alloc();
    const char* rgba[] = {"R", "G", "B", "A"};
    for (int c = 0; c < 4; ++c) channels.push_back({rgba[c], half, image.data() + c, 4});
    if (!passes.empty())
      for (const PassChannel& p : kPassChannels)
        channels.push_back({p.name, half && !p.alwaysFloat, passes.data() + p.offset, kPassRecordFloats});
  } catch (const std::exception&) {
    status = "not enough system memory for the image";
    return false;
  }
  return formats::writeExr(fileName, width, height, channels, status);
}

// Over a transparent background the colour is stored divided by alpha, as
// PNG viewers expect; nearly transparent pixels keep their values.
bool writePngFrame(const std::string& fileName, std::span<const float> image, int width, int height,
                   bool unpremultiply, std::string& status) {
  std::vector<float> straight;
  if (unpremultiply && holdsPixels(image, width, height, 4)) {
    try {
      if (renderFaults::hostAllocationFaultDue()) throw std::bad_alloc();
      straight.assign(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(4 * static_cast<std::size_t>(width) *
                                                                                  static_cast<std::size_t>(height)));
    } catch (const std::exception&) {
      status = "not enough system memory for the image";
      return false;
    }
    for (std::size_t p = 0; p < straight.size(); p += 4) {
      const float a = straight[p + 3];
      if (a > 1e-4f)
        for (int c = 0; c < 3; ++c) straight[p + c] /= a;
    }
    image = straight;
  }
  if (formats::writePng(fileName, image, width, height)) return true;
  status = "cannot write " + fileName;
  return false;
}

}  // namespace

bool writeFrame(const std::string& fileName, std::span<const float> image, std::span<const float> passes, int width,
                int height, const FrameOutputSettings& settings, std::string& status) {
  const std::string ending = fileEnding(fileName);
  if (ending == ".bmp") {
    if (formats::writeBmp(fileName, image, width, height)) return true;
    status = "cannot write " + fileName;
    return false;
  }
  if (ending == ".exr") return writeExrFrame(fileName, image, passes, width, height, !settings.exrFloat, status);
  if (ending == ".png") return writePngFrame(fileName, image, width, height, settings.bgMode == 1, status);
  status = "cannot write " + ending + " - name the file .png, .exr or .bmp";
  return false;
}

}  // namespace ink
