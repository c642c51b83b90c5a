#include "ink/sim/PlumeSim.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "gpu/FirstError.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/PlumeKernels.h"
#include "ink/sim/StreamSteps.h"

namespace ink {

bool PlumeSim::configure(const PlumeParams& params, PlumeWater& water, const ClothTriangles& cloth,
                         std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!water.simulate(params, cloth, error)) return false;
  const std::int64_t n = std::max<std::int32_t>(params.count, 0);
  if (!(params == params_) || &water != water_ || water.run() != waterRun_) substep_ = -1;
  if (!positions_.reserve(n) || !weights_.reserve(n)) {
    positions_.release();
    weights_.release();
    count_ = 0;
    substep_ = -1;
    error = "plume: GPU out of memory for the particles";
    return false;
  }
  params_ = params;
  water_ = &water;
  waterRun_ = water.run();
  count_ = n;
  return true;
}

bool PlumeSim::advance(float t, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!water_ || !water_->hasHistory() || water_->run() != waterRun_ || count_ <= 0) {
    error = "plume not configured";
    return false;
  }
  const WaterHistory water = water_->history();
  const std::int32_t last = params_.substeps * (water.frameCount - 1);
  const float nearest = std::floor((t - params_.start) / substepSeconds(params_) + 0.5f);
  const std::int32_t target =
      static_cast<std::int32_t>(std::clamp(std::isnan(nearest) ? 0.f : nearest, 0.f, static_cast<float>(last)));
  lastSubsteps_ = 0;
  if (substep_ == target) return true;
  std::int32_t from = substep_ >= 0 && substep_ <= target ? substep_ : 0;
  gpu::FirstError device;
  do {
    const std::int32_t to = std::min(from + kPlumeSubstepsPerLaunch, target);
    device.check(plumeAdvance(params_, water, positions_.data(), weights_.data(), count_, from, to));
    lastSubsteps_ += to - from;
    from = to;
  } while (from < target && device.ok());
  if (!device.synchronize()) {
    substep_ = -1;
    error = "plume: GPU error while advancing";
    return false;
  }
  substep_ = target;
  return true;
}

bool PlumeSim::stream(const ChunkSink& sink, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (count_ <= 0 || substep_ < 0) {
    error = "plume not simulated";
    return false;
  }
  return deliverWhole(sink, positions_.data(), weights_.data(), count_, error);
}

ChunkSource PlumeSim::source() {
  return [this](const ChunkSink& sink, std::string& error) { return stream(sink, error); };
}

bool downloadPlume(PlumeSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::vector<float>* weights,
                   std::string& error) {
  std::lock_guard lock(gpuLock());
  if (sim.count_ <= 0 || sim.substep_ < 0) {
    error = "plume not simulated";
    return false;
  }
  const std::int64_t n = std::clamp<std::int64_t>(maxCount, 0, sim.count_);
  positions.resize(static_cast<std::size_t>(n));
  if (weights) weights->resize(static_cast<std::size_t>(n));
  gpu::FirstError device;
  device.check(download(positions.data(), sim.positions_.data(), n));
  if (weights) device.check(download(weights->data(), sim.weights_.data(), n));
  if (device.ok()) return true;
  error = "plume download failed";
  return false;
}

}  // namespace ink
