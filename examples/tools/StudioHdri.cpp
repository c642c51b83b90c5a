// Writes the small studio environment the examples light with: a
// latitude-longitude EXR (row 0 at the zenith) with a dim grey room, a warm
// floor bounce, and two soft boxes, through the library's own EXR writer.
//
//   studio_hdri OUT.exr [WIDTH]     (height = WIDTH / 2; default 128)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "formats/image/Exr.h"

namespace {

struct Rgb {
  float r, g, b;
};

// A soft box: a bright patch around (azimuth, elevation), in radians, with a
// smooth edge.
float softBox(float azimuth, float elevation, float centreAzimuth, float centreElevation, float halfWidth,
              float halfHeight) {
  float da = std::remainder(azimuth - centreAzimuth, 2.f * std::numbers::pi_v<float>);
  const float u = std::abs(da) / halfWidth, v = std::abs(elevation - centreElevation) / halfHeight;
  const float edge = std::max(u, v);
  return edge < 1.f ? 1.f : std::exp(-12.f * (edge - 1.f));
}

Rgb studio(float azimuth, float elevation) {
  const float pi = std::numbers::pi_v<float>;
  // The room: a grey gradient from a darker floor to a lighter ceiling.
  const float up = 0.5f + 0.5f * std::sin(elevation);
  Rgb c{0.05f + 0.12f * up, 0.05f + 0.12f * up, 0.055f + 0.14f * up};
  if (elevation < 0.f) {  // the floor's warm bounce
    c.r += 0.04f;
    c.g += 0.025f;
  }
  const float key = softBox(azimuth, elevation, -0.75f * pi, 0.55f, 0.35f, 0.22f);
  const float fill = softBox(azimuth, elevation, 0.3f * pi, 0.25f, 0.5f, 0.3f);
  c.r += 14.f * key + 2.5f * fill;
  c.g += 13.f * key + 2.7f * fill;
  c.b += 12.f * key + 3.2f * fill;
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: studio_hdri OUT.exr [WIDTH]\n");
    return 2;
  }
  const int width = argc > 2 ? std::atoi(argv[2]) : 128;
  if (width < 4 || width > 8192) {
    std::fprintf(stderr, "studio_hdri: WIDTH must be 4 to 8192\n");
    return 2;
  }
  const int height = width / 2;
  std::vector<float> rgb(static_cast<std::size_t>(width) * height * 3);
  const float pi = std::numbers::pi_v<float>;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const float azimuth = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) * 2.f * pi - pi;
      const float elevation = 0.5f * pi - (static_cast<float>(y) + 0.5f) / static_cast<float>(height) * pi;
      const Rgb c = studio(azimuth, elevation);
      float* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
      p[0] = c.r, p[1] = c.g, p[2] = c.b;
    }
  const formats::ExrChannel channels[] = {
      {"R", true, rgb.data() + 0, 3}, {"G", true, rgb.data() + 1, 3}, {"B", true, rgb.data() + 2, 3}};
  std::string status;
  if (!formats::writeExr(argv[1], width, height, channels, status)) {
    std::fprintf(stderr, "studio_hdri: %s\n", status.c_str());
    return 1;
  }
  std::printf("%dx%d studio environment written to %s\n", width, height, argv[1]);
  return 0;
}
