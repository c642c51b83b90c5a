#include "host/runtime/BitmapManager.h"

#include <ImfRgbaFile.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_ONLY_HDR
#include <stb_image.h>

namespace {

// Decoded images larger than this are refused rather than risk exhausting
// memory on a corrupt header.
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 27;  // 16k x 8k

struct Image {
  int width = 0, height = 0;
  std::vector<BMM_Color_fl> pixels;  // row 0 at the top
};

// A decoded image, or the reason it could not be decoded.
struct Decoded {
  std::optional<Image> image;
  std::string error;
};

Decoded failure(std::string reason) { return {std::nullopt, std::move(reason)}; }

float srgbToLinear(float c) { return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f); }

const std::array<float, 256>& srgb8ToLinear() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = srgbToLinear(i / 255.f);
    return t;
  }();
  return table;
}

// The first line of a library's message, which may span several.
std::string firstLine(const std::string& text) {
  const std::string line = text.substr(0, text.find_first_of("\r\n"));
  return line.empty() ? "unknown error" : line;
}

struct StbiFree {
  void operator()(void* p) const { stbi_image_free(p); }
};

template <class T>
using StbiPixels = std::unique_ptr<T, StbiFree>;

std::string stbReason() {
  const char* reason = stbi_failure_reason();
  return reason ? reason : "unknown error";
}

// Radiance HDR, which holds linear values.
Decoded decodeHdr(const std::string& path) {
  if (!stbi_is_hdr(path.c_str())) return failure("not a Radiance HDR file");
  int w = 0, h = 0, n = 0;
  StbiPixels<float> data(stbi_loadf(path.c_str(), &w, &h, &n, 4));
  if (!data) return failure(stbReason());
  Image image{w, h, std::vector<BMM_Color_fl>(std::size_t(w) * std::size_t(h))};
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const float* p = data.get() + 4 * i;
    image.pixels[i] = {p[0], p[1], p[2], p[3]};
  }
  return {std::move(image), {}};
}

// 8-bit images, whose colour is sRGB-encoded and alpha linear.
Decoded decodeSrgb(const std::string& path) {
  int w = 0, h = 0, n = 0;
  StbiPixels<stbi_uc> data(stbi_load(path.c_str(), &w, &h, &n, 4));
  if (!data) return failure(stbReason());
  const auto& lut = srgb8ToLinear();
  Image image{w, h, std::vector<BMM_Color_fl>(std::size_t(w) * std::size_t(h))};
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const stbi_uc* p = data.get() + 4 * i;
    image.pixels[i] = {lut[p[0]], lut[p[1]], lut[p[2]], p[3] / 255.f};
  }
  return {std::move(image), {}};
}

// OpenEXR through its RGBA interface, which fills a missing alpha with 1.
// The library reports every problem by throwing.
Decoded decodeExr(const std::string& path) {
  try {
    Imf::RgbaInputFile file(path.c_str());
    const Imath::Box2i window = file.dataWindow();
    const std::int64_t w = std::int64_t(window.max.x) - window.min.x + 1;
    const std::int64_t h = std::int64_t(window.max.y) - window.min.y + 1;
    if (w <= 0 || h <= 0) return failure("empty data window");
    if (w * h > kMaxPixels) return failure("image too large");
    std::vector<Imf::Rgba> half(std::size_t(w * h));
    file.setFrameBuffer(Imf::ComputeBasePointer(half.data(), window), 1, std::size_t(w));
    file.readPixels(window.min.y, window.max.y);
    Image image{int(w), int(h), std::vector<BMM_Color_fl>(half.size())};
    for (std::size_t i = 0; i < half.size(); ++i) image.pixels[i] = {half[i].r, half[i].g, half[i].b, half[i].a};
    return {std::move(image), {}};
  } catch (const std::exception& e) {
    return failure(firstLine(e.what()));
  }
}

std::string lowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

Decoded decode(const std::string& path) {
  const std::string ext = lowerExtension(path);
  if (ext == ".exr") return decodeExr(path);
  if (ext == ".hdr") return decodeHdr(path);
  if (ext == ".png" || ext == ".jpg" || ext == ".jpeg" || ext == ".bmp" || ext == ".tga") return decodeSrgb(path);
  return failure(ext.empty() ? "no file extension" : "unsupported file type '" + ext + "'");
}

bool readable(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && std::ifstream(path, std::ios::binary).is_open();
}

BitmapManager theManager;

}  // namespace

BitmapManager* TheManager = &theManager;

// A pixel vector that does not match the size would let reads run past it,
// so such a bitmap is empty instead.
Bitmap::Bitmap(int width, int height, std::vector<BMM_Color_fl> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {
  if (width_ < 0 || height_ < 0 || pixels_.size() != std::size_t(width_) * std::size_t(height_)) {
    width_ = height_ = 0;
    pixels_.clear();
  }
}

int Bitmap::GetLinearPixels(int x, int y, int pixels, BMM_Color_fl* out) const {
  if (!out || x < 0 || y < 0 || pixels <= 0 || y >= height_ || x >= width_ || pixels > width_ - x) return 0;
  std::copy_n(pixels_.begin() + std::ptrdiff_t(y) * width_ + x, pixels, out);
  return pixels;
}

Bitmap* BitmapManager::Load(BitmapInfo* bi, BMMRES* status) {
  const std::string path = bi ? host::narrow(bi->Name()) : std::string();
  const auto fail = [&](BMMRES code, std::string error) -> Bitmap* {
    lastError_ = std::move(error);
    if (status) *status = code;
    return nullptr;
  };
  if (!readable(path)) return fail(BMMRES_FILENOTFOUND, "cannot open image '" + path + "'");
  Decoded decoded = decode(path);
  if (!decoded.image) return fail(BMMRES_INVALIDFORMAT, "cannot decode image '" + path + "': " + decoded.error);
  Image& image = *decoded.image;
  bi->SetSize(image.width, image.height);
  lastError_.clear();
  if (status) *status = BMMRES_SUCCESS;
  return new Bitmap(image.width, image.height, std::move(image.pixels));
}
