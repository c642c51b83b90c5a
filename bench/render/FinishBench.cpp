// Finishing throughput: finishImage over a 1920 × 1080 frame of the glass
// orb (hollow shell, three lights, 64 bubbles, caustics on a floor catcher,
// ink over the middle of the frame), and causticPhotons with 4 M photons of
// one light.
//
//   bench_finish --benchmark_filter=BM_FinishImage
//   bench_finish --png=orb.png [--exr=orb.exr] [--count=1000000] [--size=720] [--ior=1.5] [--solid]
//       renders the glass orb scene and writes it, then exits
//
// items_per_second is pixels for finishImage, photons for causticPhotons.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "GlassOrbScene.h"
#include "gpu/DeviceArray.h"
#include "gpu/FirstError.h"
#include "gpu/KernelStats.h"
#include "ink/render/Caustics.h"
#include "ink/render/Raster.h"
#include "ink/render/RenderFinish.h"
#include "ink/render/RenderKernels.h"
#include "ink/render/RenderLights.h"
#include "ink/render/RenderOutput.h"
#include "ink/render/RenderPasses.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kGridRes = 128;

using renderbench::toDevice;

std::vector<ink::RenderLight> threeLights() {
  return {{{-0.25f, -0.3f, 0.92f}, {1.4f, 1.4f, 1.4f}},
          {{0.7f, -0.4f, 0.6f}, {0.5f, 0.55f, 0.6f}},
          {{0.1f, 0.8f, 0.5f}, {0.3f, 0.25f, 0.2f}}};
}

// Everything finishImage reads, built on the device once.
struct FinishScene {
  std::vector<ink::SceneTriangle> floor = rendertest::catcherFloor();
  std::vector<ink::RenderLight> lights = threeLights();
  ink::RenderSettings settings = rendertest::glassOrbSettings(kWidth, kHeight, floor, lights, kGridRes);
  gpu::DeviceArray<float> accumulator, density, image, sceneDepth, passes, passAccumulator;
  gpu::DeviceArray<std::int32_t> sceneIndex;
  gpu::DeviceArray<ink::SceneTriangle> triangles;
  ink::FinishBuffers buffers;

  bool build(bool withPasses) {
    const std::int64_t pixels = std::int64_t{kWidth} * kHeight;
    // Ink over the middle of the frame, thicker towards the centre.
    std::vector<float> acc(static_cast<std::size_t>(6 * pixels), 0.f);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const float dx = (x - kWidth / 2) / 300.f, dy = (y - kHeight / 2) / 300.f, r2 = dx * dx + dy * dy;
        if (r2 >= 1.f) continue;
        float* a = &acc[6 * (static_cast<std::size_t>(y) * kWidth + x)];
        a[0] = 0.05f * (1 - r2), a[1] = 0.08f * (1 - r2), a[2] = 0.2f * (1 - r2);
        a[3] = 1.f - r2, a[4] = 0.7f * (1 - r2), a[5] = 0.4f * (1 - r2);
      }
    const ink::GridInfo grid{kGridRes, 50.f, 100.f / kGridRes};
    const std::vector<float> ball = renderbench::densityBall(grid, 30.f, 0.02f);
    if (!toDevice(accumulator, acc) || !toDevice(density, ball) || !toDevice(triangles, floor) ||
        !image.reserve(4 * pixels) || !sceneDepth.reserve(pixels) || !sceneIndex.reserve(pixels))
      return false;
    if (withPasses && (!passes.reserve(ink::kPassRecordFloats * pixels) ||
                       !toDevice(passAccumulator, std::vector<float>(static_cast<std::size_t>(15 * pixels), 0.f))))
      return false;
    const ink::LightSet lightSet = ink::renderLights(settings);
    const float tanHalfFovY = settings.camera.tanHalfFov * kHeight / kWidth;
    gpu::FirstError device;
    device.check(ink::fillFloats(sceneDepth.data(), pixels, ink::kEmptyDepth));
    device.check(ink::fillInts(sceneIndex.data(), pixels, ink::kNoTriangle));
    for (const std::int32_t mode : {ink::kSceneDepth, ink::kSceneIndex})
      device.check(ink::sceneRaster(triangles.data(), static_cast<std::int64_t>(floor.size()), settings.camera,
                                    tanHalfFovY, kWidth, kHeight, sceneDepth.data(), sceneIndex.data(), mode));
    buffers.tanHalfFovY = tanHalfFovY;
    buffers.lights = lightSet;
    buffers.grid = grid;
    buffers.density = density.data();
    buffers.sceneTriangles = triangles.data();
    buffers.sceneDepth = sceneDepth.data();
    buffers.sceneIndex = sceneIndex.data();
    buffers.passAccumulator = withPasses ? passAccumulator.data() : nullptr;
    buffers.passOutput = withPasses ? passes.data() : nullptr;
    return ink::renderCaustics(settings, lightSet, buffers.caustics, device) && buffers.caustics.maps &&
           device.synchronize();
  }
};

void finishImage(benchmark::State& state) {
  FinishScene scene;
  if (!scene.build(state.range(0) == 1)) {
    state.SkipWithError("scene setup failed");
    return;
  }
  const ink::FinishArgs args = ink::finishArgs(scene.settings, scene.buffers);
  gpu::DeviceArray<ink::Bubble> bubbles;
  if (!bubbles.reserve(args.bubbleCount)) {
    state.SkipWithError("device memory");
    return;
  }
  for (auto _ : state) {
    if (ink::finishImage(args, scene.accumulator.data(), scene.image.data(), bubbles.data()) != gpu::Success ||
        gpu::deviceSynchronize() != gpu::Success) {
      state.SkipWithError("launch failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void causticPhotons(benchmark::State& state) {
  gpu::DeviceArray<float> map;
  if (!map.reserve(ink::kCausticMapFloats)) {
    state.SkipWithError("device memory");
    return;
  }
  const std::int32_t side = ink::kPhotonGridSide;
  for (auto _ : state) {
    if (gpu::memset(map.data(), 0, sizeof(float) * ink::kCausticMapFloats) != gpu::Success ||
        ink::causticPhotons({-0.25f, -0.3f, 0.92f}, 50.75f, 1.5f, -60.f, ink::kCausticResolution, 152.25f, side,
                            map.data(), std::tan(2.f * 0.0174533f)) != gpu::Success ||
        gpu::deviceSynchronize() != gpu::Success) {
      state.SkipWithError("launch failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t{side} * side);
}

// --png=FILE [--exr=FILE] [--count=N] [--size=S]: one picture of the glass orb, then exit.
int writePicture(int argc, char** argv) {
  std::string png, exr;
  int count = 1000000, size = 720;
  float ior = 1.5f;
  bool solid = false;
  for (int i = 1; i < argc; ++i) {
    if (!std::strncmp(argv[i], "--png=", 6)) png = argv[i] + 6;
    if (!std::strncmp(argv[i], "--exr=", 6)) exr = argv[i] + 6;
    if (!std::strncmp(argv[i], "--count=", 8)) count = std::atoi(argv[i] + 8);
    if (!std::strncmp(argv[i], "--size=", 7)) size = std::atoi(argv[i] + 7);
    if (!std::strncmp(argv[i], "--ior=", 6)) ior = static_cast<float>(std::atof(argv[i] + 6));
    if (!std::strcmp(argv[i], "--solid")) solid = true;
  }
  if (png.empty()) return -1;
  rendertest::InkCloud cloud;
  ink::RenderHost host;
  std::string status;
  const std::vector<ink::SceneTriangle> floor = rendertest::catcherFloor();
  const std::vector<ink::RenderLight> lights = rendertest::lightFromAbove();
  ink::RenderSettings settings = rendertest::glassOrbSettings(size, size, floor, lights, 192);
  settings.passes = 1;
  settings.glassIOR = ior;
  settings.glassSolid = solid;
  std::vector<float> image, passes;
  ink::RenderObjectState object;
  if (!cloud.build(count, 0.f, status) ||
      !host.render(settings, object, {cloud.sim.source()}, {rendertest::inkCloudParticleMass(count)}, image, &passes,
                   status) ||
      !ink::writeFrame(png, image, {}, size, size, {}, status) ||
      (!exr.empty() && !ink::writeFrame(exr, image, passes, size, size, {}, status))) {
    std::fprintf(stderr, "%s\n", status.c_str());
    return 1;
  }
  std::printf("render %.3f s, %d particles -> %s\n", host.lastRenderSeconds(), count, png.c_str());
  std::int64_t glassPixels = 0, withLight = 0;
  double added[3] = {};
  for (std::size_t p = 0; p + ink::kPassRecordFloats <= passes.size(); p += ink::kPassRecordFloats) {
    if (passes[p + ink::kPassGlassMask] != 1.f) continue;
    ++glassPixels;
    withLight += passes[p + ink::kPassGlassR] + passes[p + ink::kPassGlassG] + passes[p + ink::kPassGlassB] > 0.f;
    for (int c = 0; c < 3; ++c) added[c] += passes[p + ink::kPassGlassR + c];
  }
  const double n = static_cast<double>(std::max<std::int64_t>(glassPixels, 1));
  std::printf("glassMask.Y = 1 in %lld pixels, glass.R/G/B > 0 in %lld of them, mean glass %.4f %.4f %.4f\n",
              static_cast<long long>(glassPixels), static_cast<long long>(withLight), added[0] / n, added[1] / n,
              added[2] / n);
  renderbench::printKernelTimes();
  return 0;
}

}  // namespace

BENCHMARK(finishImage)->Name("BM_FinishImage/1080p")->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(finishImage)->Name("BM_FinishImage/1080p_passes")->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(causticPhotons)->Name("BM_CausticPhotons/4M")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return renderbench::benchmarkMain(argc, argv, writePicture); }
