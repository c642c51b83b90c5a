#include "ink/sim/PlumeWater.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

#include "CUDA/vf/VFSmoke.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/PlumeKernels.h"

namespace ink {

namespace {

// What one run keeps besides the grid: the cloth's triangles and cell mask,
// and two counters (the largest speed's bits, the wall's cells).
struct RunBuffers {
  gpu::DeviceArray<float> triangles;
  gpu::DeviceArray<std::uint8_t> mask;
  gpu::DeviceArray<std::int32_t> stats;
};
constexpr int kMaxSpeedStat = 0, kWallCellsStat = 1;

// Marks the cloth's cells at `seconds`: false (with the status) when a
// device call failed; `marked` says whether the frame has a wall.
gpu::Status markCloth(const vf::Grid& grid, const ClothTriangles& cloth, float seconds, RunBuffers& run,
                      std::vector<float>& host, bool& marked) {
  marked = false;
  host.clear();
  if (!cloth(seconds, host) || host.size() < 9) return gpu::Success;
  const auto count = static_cast<std::int64_t>(host.size() / 9);
  if (!run.triangles.reserve(9 * count)) return gpu::ErrorMemoryAllocation;
  gpu::Status s = gpu::memcpyAsync(run.triangles.data(), host.data(), sizeof(float) * 9 * count,
                                   gpu::CopyKind::HostToDevice, grid.stream);
  if (s == gpu::Success)
    s = gpu::memsetAsync(run.mask.data(), 0, static_cast<std::size_t>(vf::cellShape(grid.desc).count()), grid.stream);
  if (s == gpu::Success) s = plumeMark(grid, run.triangles.data(), count, run.mask.data());
  marked = s == gpu::Success;
  return s;
}

}  // namespace

std::int64_t waterHistoryBytes(const PlumeParams& params) {
  const std::int64_t n = waterCells(params);
  return static_cast<std::int64_t>(waterFrames(params)) * n * n * n * static_cast<std::int64_t>(sizeof(orb::Vec));
}

void PlumeWater::release() {
  history_.release();
  frames_ = 0;
  clothWallCells_ = 0;
  maxSpeed_ = 0.f;
}

bool PlumeWater::simulate(const PlumeParams& params, const ClothTriangles& cloth, std::string& error) {
  std::lock_guard lock(gpuLock());
  const bool withCloth = static_cast<bool>(cloth);
  if (hasHistory() && sameWater(params, params_) && withCloth == withCloth_) return true;
  if (!describeDevice(error)) return false;
  const auto started = std::chrono::steady_clock::now();
  // The old history is for other settings: its memory is the new one's.
  release();

  const vf::GridDesc desc = waterGrid(params);
  const int n = desc.nx, frames = waterFrames(params);
  const std::int64_t cells = vf::cellShape(desc).count();
  std::size_t freeBytes = 0, totalBytes = 0;
  if (gpu::memGetInfo(&freeBytes, &totalBytes) != gpu::Success) freeBytes = 0;
  if (waterHistoryBytes(params) > static_cast<std::int64_t>(freeBytes / 2)) {
    gpu::getLastError();
    error = "plume: not enough GPU memory for " + std::to_string(frames) + " frames at " + std::to_string(n) +
            "^3 - lower the water resolution or the frame range";
    return false;
  }
  RunBuffers run;
  if (!history_.reserve(frames * cells) || !run.stats.reserve(2) || (withCloth && !run.mask.reserve(cells))) {
    release();
    error = "plume: GPU out of memory";
    return false;
  }
  vf::Grid grid;
  if (!vf::createGrid(desc, grid)) {
    release();
    error = "plume: could not create the water grid";
    return false;
  }

  const vf::StepSettings settings = waterSettings(params);
  const float h = substepSeconds(params);
  const orb::Vec sourceCentre = vf::cellUnits(desc, params.sourceCentre);
  const float sourceRadius = std::max(params.sourceRadius / desc.dx, 1.5f);
  const orb::Vec rates{1.f, 0.f, -4.f * params.push * params.radius};
  const std::uint32_t seedMix = static_cast<std::uint32_t>(params.seedMix);
  std::uint8_t* mask = run.mask.data();
  const vf::StagePass solid = [mask](vf::Grid& g) { return plumeSolid(g, mask); };

  gpu::Status s = gpu::memsetAsync(run.stats.data(), 0, 2 * sizeof(std::int32_t), grid.stream);
  if (s == gpu::Success && params.swirl > 0.f)
    s = plumeStir(grid, params.swirl * params.radius, static_cast<float>(seedMix % 1000u) * 0.0063f);
  std::vector<float> triangles;
  for (int i = 0; i < frames && s == gpu::Success; ++i) {
    bool marked = false;
    if (withCloth && i > 0) {
      s = markCloth(grid, cloth, params.start + static_cast<float>(i) / params.fps, run, triangles, marked);
      if (s == gpu::Success && marked && i == frames / 2)
        s = plumeCountMarked(grid, mask, run.stats.data() + kWallCellsStat);
    }
    for (int j = 0; i > 0 && j < params.substeps && s == gpu::Success; ++j) {
      // The source pours while its time lasts.
      const float elapsed = (static_cast<float>(j) / static_cast<float>(params.substeps) + static_cast<float>(i - 1)) /
                            params.fps;
      if (params.emitSeconds > elapsed) s = vf::addSource(grid, sourceCentre, sourceRadius, rates, h);
      if (s == gpu::Success) s = vf::step(grid, settings, marked ? solid : vf::StagePass{});
    }
    if (s == gpu::Success) s = plumeCentres(grid, history_.data() + cells * i, run.stats.data() + kMaxSpeedStat);
  }
  const gpu::Status waited = vf::releaseGrid(grid);
  if (s == gpu::Success) s = waited;
  std::int32_t stats[2] = {0, 0};
  if (s == gpu::Success) s = download(stats, run.stats.data(), 2);
  if (s != gpu::Success) {
    gpu::getLastError();
    release();
    error = std::string("plume: ") + gpu::errorString(s);
    return false;
  }

  params_ = params;
  withCloth_ = withCloth;
  grid_ = desc;
  frames_ = frames;
  clothWallCells_ = stats[kWallCellsStat];
  std::memcpy(&maxSpeed_, &stats[kMaxSpeedStat], sizeof maxSpeed_);
  seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ++run_;
  return true;
}

}  // namespace ink
