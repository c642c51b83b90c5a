// Renderer throughput: splatImage into a 1920 × 1080 accumulator (bilinear
// and 4-pixel discs), depthGrid towards a light at 192³, and whole frames of
// a seeded ink cloud through the render host.
//
//   bench_render --benchmark_filter=BM_SplatImage
//   bench_render --png=cloud.png [--count=1000000] [--seconds=0.2]
//       renders the ink cloud at 960 × 960 and writes it, then exits
//
// items_per_second is particles for the splat and the frame, cell-steps for
// depthGrid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "InkCloudScene.h"
#include "RenderFixtures.h"
#include "gpu/DeviceArray.h"
#include "gpu/KernelStats.h"
#include "ink/render/Grid.h"
#include "ink/render/RenderKernels.h"
#include "ink/render/RenderLights.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kGridRes = 192;

using renderbench::toDevice;

// A ball of particles filling most of a 1080p frame, splatted with the
// default look and one light, over grids of a ball of density.
void splatImage(benchmark::State& state) {
  const std::int64_t n = state.range(0);
  const float pointSize = static_cast<float>(state.range(1));
  const std::vector<orb::Vec> positions = rendertest::ballPositions(n, 50.f);
  const ink::GridInfo grid{kGridRes, 50.f, 100.f / kGridRes};
  const std::vector<float> density = renderbench::densityBall(grid, 50.f, 0.02f);
  gpu::DeviceArray<orb::Vec> p;
  gpu::DeviceArray<float> w, d, acc;
  if (!toDevice(p, positions) || !toDevice(w, std::vector<float>(static_cast<std::size_t>(n), 1.f)) ||
      !toDevice(d, density) || !acc.reserve(std::int64_t{6} * kWidth * kHeight)) {
    state.SkipWithError("device memory");
    return;
  }
  ink::SplatArgs a = rendertest::plainSplat(kWidth, kHeight, rendertest::cameraAlongY({0, -150, 0}, 0.7854f));
  const ink::RenderSettings look = rendertest::defaultLook(kWidth, kHeight);
  a.absorb = {look.absorbR, look.absorbG, look.absorbB};
  a.scatter = {look.scatterR, look.scatterG, look.scatterB};
  a.scatterAmount = look.scatterAmount;
  a.shadow = look.shadow;
  a.lights = ink::renderLights(look);
  a.pointSize = pointSize;
  a.pointSoftness = 0.5f;
  a.sourceWeight = 1e-3f;
  for (auto _ : state) {
    if (ink::splatImage(p.data(), w.data(), n, grid, d.data(), d.data(), a, acc.data(), nullptr, 0, nullptr, 0,
                        d.data(), nullptr, nullptr) != gpu::Success ||
        gpu::deviceSynchronize() != gpu::Success) {
      state.SkipWithError("launch failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}

// Steps the march takes from every cell of an n³ grid along `dir` before it
// leaves the box, at most 4n: the closed form of the loop's exit.
std::int64_t cellSteps(const ink::GridInfo& g, orb::Vec dir) {
  const std::int64_t n = g.n;
  std::int64_t total = 0;
  for (std::int64_t c = 0; c < n * n * n; ++c) {
    const float centre[3] = {(static_cast<float>(c % n) + 0.5f) * g.cellSize - g.halfExtent,
                             (static_cast<float>((c / n) % n) + 0.5f) * g.cellSize - g.halfExtent,
                             (static_cast<float>(c / (n * n)) + 0.5f) * g.cellSize - g.halfExtent};
    const float d[3] = {dir.x, dir.y, dir.z};
    double steps = 4.0 * static_cast<double>(n);
    for (int a = 0; a < 3; ++a)
      if (d[a] != 0.f)
        steps = std::min<double>(steps, std::floor((g.halfExtent - (d[a] > 0 ? centre[a] : -centre[a])) /
                                           (g.cellSize * std::fabs(d[a]))));
    total += static_cast<std::int64_t>(steps);
  }
  return total;
}

void depthGrid(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const ink::GridInfo grid{n, 50.f, 100.f / static_cast<float>(n)};
  const std::int64_t cells = std::int64_t{n} * n * n;
  gpu::DeviceArray<float> density, out;
  if (!toDevice(density, std::vector<float>(static_cast<std::size_t>(cells), 0.01f)) || !out.reserve(cells)) {
    state.SkipWithError("device memory");
    return;
  }
  const orb::Vec light = ink::renderLights(rendertest::defaultLook(8, 8)).direction[0];
  const bool towardsEye = state.range(1) == 1;
  for (auto _ : state) {
    if (ink::depthGrid(grid, density.data(), out.data(), light, {0, -160, 0},
                       towardsEye ? ink::kTowardsPoint : ink::kTowardsDirection) != gpu::Success ||
        gpu::deviceSynchronize() != gpu::Success) {
      state.SkipWithError("launch failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * cellSteps(grid, light));
}

// Whole frames of the seeded cloud: 960 × 960, antialias 1, grid 192, one light.
void frame(benchmark::State& state) {
  rendertest::InkCloud cloud;
  std::string status;
  if (!cloud.build(static_cast<int>(state.range(0)), 0.f, status)) {
    state.SkipWithError(status.c_str());
    return;
  }
  ink::RenderHost host;
  std::vector<float> image;
  const ink::RenderSettings settings = rendertest::inkCloudSettings(960, 960, kGridRes);
  for (auto _ : state) {
    if (!rendertest::renderInkCloud(host, cloud, settings, "", image, status)) {
      state.SkipWithError(status.c_str());
      return;
    }
    state.counters["render_s"] = host.lastRenderSeconds();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// --png=FILE [--count=N] [--seconds=S]: one picture of the cloud, then exit.
int writePicture(int argc, char** argv) {
  std::string png;
  int count = 1000000;
  float seconds = 0.2f;
  for (int i = 1; i < argc; ++i) {
    if (!std::strncmp(argv[i], "--png=", 6)) png = argv[i] + 6;
    if (!std::strncmp(argv[i], "--count=", 8)) count = std::atoi(argv[i] + 8);
    if (!std::strncmp(argv[i], "--seconds=", 10)) seconds = static_cast<float>(std::atof(argv[i] + 10));
  }
  if (png.empty()) return -1;
  rendertest::InkCloud cloud;
  ink::RenderHost host;
  std::vector<float> image;
  std::string status;
  if (!cloud.build(count, seconds, status) ||
      !rendertest::renderInkCloud(host, cloud, rendertest::inkCloudSettings(960, 960), png, image, status)) {
    std::fprintf(stderr, "%s\n", status.c_str());
    return 1;
  }
  std::printf("render %.3f s, %d particles -> %s\n", host.lastRenderSeconds(), count, png.c_str());
  renderbench::printKernelTimes();
  return 0;
}

}  // namespace

BENCHMARK(splatImage)->Name("BM_SplatImage/bilinear")->Args({4000000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(splatImage)->Name("BM_SplatImage/size4")->Args({4000000, 4})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(depthGrid)->Name("BM_DepthGrid")->Args({kGridRes, 0})->Args({kGridRes, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(frame)->Name("BM_Frame")->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv) { return renderbench::benchmarkMain(argc, argv, writePicture); }
