#include "ink/sim/SwirlSim.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>

#include "gpu/FirstError.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/StreamSteps.h"
#include "ink/sim/SourceKernels.h"

namespace ink {

namespace {
// Frames compare by their bytes: the record is plain 32-bit fields.
bool sameTrack(const std::vector<swirl::Frame>& a, const std::vector<swirl::Frame>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), sizeof(swirl::Frame) * a.size()) == 0);
}
}  // namespace

bool SwirlSim::fail(const std::string& text, std::string& error) {
  releaseAll();
  error = text;
  return false;
}

void SwirlSim::releaseAll() {
  positions_.release();
  velocities_.release();
  weights_.release();
  inkPositions_.release();
  track_.release();
  lastTrack_ = {};
  params_ = lastParams_ = SwirlParams{};
  count_ = 0;
  configured_ = hasState_ = false;
  time_ = 0.f;
}

bool SwirlSim::allocate(std::int64_t n, std::string& error) {
  if (positions_.capacity() >= n && velocities_.capacity() >= n && weights_.capacity() >= n &&
      inkPositions_.capacity() >= n)
    return true;
  if (!positions_.reserve(n) || !velocities_.reserve(n) || !weights_.reserve(n) || !inkPositions_.reserve(n))
    return fail("GPU out of memory (swirl)", error);
  return true;
}

bool SwirlSim::uploadTrack(const std::vector<swirl::Frame>& track, std::string& error) {
  const auto n = static_cast<std::int64_t>(track.size());
  if (!track_.reserve(n)) return fail("GPU out of memory (swirl track)", error);
  gpu::FirstError device;
  if (!device.check(upload(track_.data(), track.data(), n))) return fail(device.text(), error);
  return true;
}

bool SwirlSim::configure(const SwirlParams& params, const std::vector<swirl::Frame>& track, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!describeDevice(error)) return false;
  const std::int64_t n = std::max<std::int64_t>(params.count, 0);
  std::string device;
  if (residentBudget(kBytesPerSwirlParticle, device) < n) {
    error = "swirl: " + std::to_string(n) + " particles do not fit this GPU (" + device + ")";
    return false;
  }
  if (configured_ && params == lastParams_ && sameTrack(track, lastTrack_)) return true;
  if (!allocate(n, error) || !uploadTrack(track, error)) return false;
  params_ = params;
  params_.count = n;
  params_.trackFrames = std::clamp<std::int32_t>(params.trackFrames, 0, static_cast<std::int32_t>(
                                                                           std::min<std::size_t>(track.size(), 0x7FFFFFFF)));
  lastParams_ = params;
  lastTrack_ = track;
  count_ = n;
  configured_ = true;
  hasState_ = false;
  return true;
}

bool SwirlSim::advance(float t, std::string& error) {
  std::lock_guard lock(gpuLock());
  const AdvanceStart start = advanceStart(configured_, hasState_, time_, t, error);
  if (start != AdvanceStart::Run) return start == AdvanceStart::AlreadyThere;
  const auto started = std::chrono::steady_clock::now();
  gpu::FirstError device;
  device.check(swirlKernel(params_, track_.data(), positions_.data(), velocities_.data(), weights_.data(), count_,
                           hasState_ ? time_ : t, t, hasState_),
               "launch failed");
  if (!device.synchronize()) {
    hasState_ = false;
    error = device.text();
    return false;
  }
  time_ = t;
  hasState_ = true;
  lastAdvanceSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return true;
}

bool SwirlSim::inkSpace(std::string& error) {
  if (!hasState_) {
    error = "no swirl state";
    return false;
  }
  gpu::FirstError device;
  device.check(toInkSpace(params_, positions_.data(), inkPositions_.data(), count_), "launch failed");
  if (device.synchronize()) return true;
  error = device.text();
  return false;
}

bool SwirlSim::stream(const ChunkSink& sink, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!inkSpace(error)) return false;
  return deliverWhole(sink, inkPositions_.data(), weights_.data(), count_, error);
}

ChunkSource SwirlSim::source() {
  return [this](const ChunkSink& sink, std::string& error) { return stream(sink, error); };
}

bool downloadSwirl(SwirlSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!sim.inkSpace(error)) return false;
  const std::int64_t n = std::clamp<std::int64_t>(maxCount, 0, sim.count_);
  positions.resize(static_cast<std::size_t>(n));
  gpu::FirstError device;
  if (device.check(download(positions.data(), sim.inkPositions_.data(), n), "download failed")) return true;
  error = device.text();
  return false;
}

}  // namespace ink
