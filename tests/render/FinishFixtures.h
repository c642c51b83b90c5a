#pragma once
// Host buffers for calling the finishing body pixel by pixel: an
// accumulator, an optional pass accumulator and background image, and a
// finish record for an odd-sized image (so the centre pixel's ray runs
// exactly along the view axis) seen by the tests' camera.
#include <cstdint>
#include <vector>

#include "RenderFixtures.h"
#include "ink/render/Finish.h"
#include "ink/render/RenderRecords.h"

namespace rendertest {

struct FinishFrame {
  int width, height;
  std::vector<float> accumulator, passAccumulator, image, passes;
  ink::FinishArgs args{};

  FinishFrame(int w, int h)
      : width(w), height(h), accumulator(6u * w * h, 0.f), passAccumulator(15u * w * h, 0.f), image(4u * w * h),
        passes(24u * w * h) {
    ink::Camera camera = cameraAlongY({0, -200, 0}, 0.7854f);
    args.camera = camera;
    args.width = w;
    args.height = h;
    args.tanHalfFovY = camera.tanHalfFov * static_cast<float>(h) / static_cast<float>(w);
    args.radius = 50.f;
    args.glassRadiusFactor = 1.015f;
    args.glassIOR = 1.5f;
    args.glassThickness = 0.05f;
    args.background = {0.8f, 0.6f, 0.4f};
    args.grid = {32, 60.f, 120.f / 32.f};
    args.bgPlane = 200.f;
    args.passOutput = passes.data();
  }

  // Colour (r, g, b) and extinction (tr, tg, tb) in every pixel.
  void fillInk(orb::Vec colour, orb::Vec extinction) {
    for (std::size_t p = 0; p < accumulator.size(); p += 6) {
      accumulator[p] = colour.x, accumulator[p + 1] = colour.y, accumulator[p + 2] = colour.z;
      accumulator[p + 3] = extinction.x, accumulator[p + 4] = extinction.y, accumulator[p + 5] = extinction.z;
    }
  }

  // Ink whose colour is the pixel's own coordinates (R = x, G = y): the
  // ink.R and ink.G passes then tell where the ink was read.
  void fillCoordinates() {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        float* a = &accumulator[6 * (static_cast<std::size_t>(y) * width + x)];
        a[0] = static_cast<float>(x);
        a[1] = static_cast<float>(y);
      }
  }

  void finish(int x, int y) { ink::finishPixel(args, accumulator.data(), image.data(), index(x, y)); }
  void finishAll() {
    for (std::int64_t p = 0; p < static_cast<std::int64_t>(width) * height; ++p)
      ink::finishPixel(args, accumulator.data(), image.data(), p);
  }
  std::int64_t index(int x, int y) const { return static_cast<std::int64_t>(y) * width + x; }
  const float* pixel(int x, int y) const { return &image[4 * index(x, y)]; }
  const float* record(int x, int y) const { return &passes[24 * index(x, y)]; }
};

}  // namespace rendertest
