#pragma once
// Shared inputs of the renderer's tests and benchmarks: a camera, the ink
// object's default look, host accumulators for calling kernel bodies
// directly, and particle sources streamed from host lists.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gpu/Accumulate.h"
#include "gpu/Device.h"
#include "gpu/DeviceArray.h"
#include "ink/render/RenderRecords.h"
#include "ink/render/RenderSettings.h"
#include "ink/sim/Chunk.h"

namespace rendertest {

// At `eye`, looking along +y with +x right and +z up.
inline ink::Camera cameraAlongY(orb::Vec eye = {0, -200, 0}, float fovRadians = 0.7854f) {
  return {eye, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, std::tan(0.5f * fovRadians)};
}

// The ink object's default medium and points at the given size.
inline ink::RenderSettings defaultLook(int width, int height) {
  ink::RenderSettings s;
  s.width = width;
  s.height = height;
  s.camera = cameraAlongY();
  s.absorbR = 1.f, s.absorbG = 0.68f, s.absorbB = 0.4f;
  s.scatterR = 0.35f, s.scatterG = 0.55f, s.scatterB = 0.95f;
  s.scatterAmount = 0.12f;
  s.lightIntensity = 1.4f;
  s.shadow = 1.2f;
  s.ambient = 0.12f;
  s.gridRes = 64;
  s.radius = 50.f;
  s.pointSize = 1.f;
  s.pointSoftness = 0.5f;
  s.pointBrightness = 1.f;
  s.bgR = s.bgG = s.bgB = 1.f;
  return s;
}

// Splat arguments for a width × height image seen through `camera`, with a
// grey medium (absorb 1, scatter 1), no lights and unit brightness.
inline ink::SplatArgs plainSplat(int width, int height, ink::Camera camera = cameraAlongY()) {
  ink::SplatArgs a{};
  a.camera = camera;
  a.width = width;
  a.height = height;
  a.tanHalfFovY = camera.tanHalfFov * static_cast<float>(height) / static_cast<float>(width);
  a.sourceWeight = 1.f;
  a.absorb = {1, 1, 1};
  a.scatter = {1, 1, 1};
  a.scatterAmount = 1.f;
  a.pointSize = 1.f;
  a.pointBrightness = 1.f;
  return a;
}

// Host image and pass accumulators that kernel bodies add into directly.
struct HostAccumulators {
  std::vector<float> image, passes;
  HostAccumulators(int width, int height) : image(6u * width * height), passes(15u * width * height) {}
  gpu::Accumulator accumulator() { return gpu::Accumulator(image.data(), passes.data(), false); }
  double sum(int channel, int floats = 6) const {
    const std::vector<float>& v = floats == 6 ? image : passes;
    double total = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < v.size(); i += static_cast<std::size_t>(floats))
      total += v[i];
    return total;
  }
};

// A source that streams host lists from device buffers in chunks of `chunk`.
inline ink::ChunkSource listSource(std::vector<orb::Vec> positions, std::vector<float> weights,
                                   std::int64_t chunk = 1 << 20) {
  struct Lists {
    std::vector<orb::Vec> positions;
    std::vector<float> weights;
    gpu::DeviceArray<orb::Vec> p;
    gpu::DeviceArray<float> w;
  };
  auto lists = std::make_shared<Lists>();
  lists->positions = std::move(positions);
  lists->weights = std::move(weights);
  return [lists, chunk](const ink::ChunkSink& sink, std::string& error) {
    const auto n = static_cast<std::int64_t>(lists->positions.size());
    if (!lists->p.reserve(chunk) || !lists->w.reserve(chunk)) {
      error = "GPU out of memory";
      return false;
    }
    for (std::int64_t a = 0; a < n; a += chunk) {
      const std::int64_t count = std::min(chunk, n - a);
      gpu::memcpy(lists->p.data(), lists->positions.data() + a, sizeof(orb::Vec) * count, gpu::CopyKind::HostToDevice);
      gpu::memcpy(lists->w.data(), lists->weights.data() + a, sizeof(float) * count, gpu::CopyKind::HostToDevice);
      ink::Chunk c;
      c.positions = lists->p.data();
      c.weights = lists->w.data();
      c.count = count;
      c.first = a;
      if (!sink(c)) return false;
    }
    return true;
  };
}

// `count` particles of weight 1 spread evenly (by a fixed lattice hash)
// through a ball of radius r at the origin.
inline std::vector<orb::Vec> ballPositions(std::int64_t count, float r) {
  std::vector<orb::Vec> out;
  out.reserve(static_cast<std::size_t>(count));
  std::uint32_t h = 12345u;
  auto next = [&h] {
    h = h * 1664525u + 1013904223u;
    return static_cast<float>(h >> 8) / 16777216.f * 2.f - 1.f;
  };
  while (static_cast<std::int64_t>(out.size()) < count) {
    const orb::Vec p{next(), next(), next()};
    if (dot(p, p) <= 1.f) out.push_back(p * r);
  }
  return out;
}

}  // namespace rendertest
