#include "ink/sim/InkSim.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "gpu/Device.h"
#include "gpu/FirstError.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/StreamSteps.h"
#include "ink/sim/OrbInkKernels.h"

namespace ink {

namespace {

bool isQuarterSecond(float t) { return std::floor(4.f * t) == 4.f * t; }

// The record the kernels read: counts that index the lists never exceed them.
Params boundedRecord(const Params& p, std::size_t tubes, std::size_t triangles) {
  Params b = p;
  b.triangleCount = static_cast<std::int32_t>(std::min<std::size_t>(std::max(p.triangleCount, 0), triangles));
  if (b.tubesPerFrame <= 0 || b.trackFrames <= 0) {
    b.tubesPerFrame = b.trackFrames = 0;
  } else {
    const auto frames = static_cast<std::int64_t>(tubes) / b.tubesPerFrame;
    b.trackFrames = static_cast<std::int32_t>(std::min<std::int64_t>(b.trackFrames, frames));
    if (b.trackFrames == 0) b.tubesPerFrame = 0;
  }
  return b;
}

// Running sum of the triangles' areas, normalised to end at 1.
std::vector<float> areaTable(const std::vector<Tri>& triangles) {
  std::vector<float> table(triangles.size());
  double total = 0.0;
  for (std::size_t i = 0; i < triangles.size(); ++i) {
    const Tri& t = triangles[i];
    const double e1[3] = {double(t.v1.x) - t.v0.x, double(t.v1.y) - t.v0.y, double(t.v1.z) - t.v0.z};
    const double e2[3] = {double(t.v2.x) - t.v0.x, double(t.v2.y) - t.v0.y, double(t.v2.z) - t.v0.z};
    const double c[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    total += 0.5 * std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    table[i] = static_cast<float>(total);
  }
  for (float& entry : table) entry = total > 0.0 ? static_cast<float>(entry / total) : 1.f;
  return table;
}

}  // namespace

std::string InkSim::statusText() const {
  char line[64];
  std::snprintf(line, sizeof line, "ink %lld%s", static_cast<long long>(count_), streamed_ ? " (streamed)" : "");
  return line;
}

bool InkSim::fail(const std::string& text, std::string& error) {
  releaseAll();
  error = text;
  return false;
}

bool InkSim::lostState(const gpu::FirstError& device, std::string& error) {
  hasState_ = false;
  error = device.text();
  return false;
}

void InkSim::releaseAll() {
  positions_.release();
  weights_.release();
  rest_.release();
  tubes_.release();
  triangles_.release();
  areas_.release();
  hostPositions_.clear();
  hostWeights_.clear();
  snapshots_.clear();
  snapshots_.shrink_to_fit();
  hostSnapshotBytes_ = 0;
  lastTubes_ = {};
  lastTriangles_ = {};
  params_ = lastParams_ = Params{};
  count_ = chunk_ = 0;
  configured_ = hasState_ = streamed_ = false;
  time_ = 0.f;
}

bool InkSim::allocateParticles(std::string& error) {
  positions_.release();
  weights_.release();
  hostPositions_.clear();
  hostWeights_.clear();
  std::string device;
  const std::int64_t budget = residentBudget(kBytesPerInkParticle, device);
  streamed_ = budget < count_;
  chunk_ = streamed_ ? std::max(std::min(budget, kMaxStreamChunk), kMinStreamChunk) : count_;
  if (!positions_.reserve(chunk_) || !weights_.reserve(chunk_)) return fail("GPU out of memory", error);
  if (streamed_ && (!hostMemoryHolds(16 * count_) || !hostPositions_.allocate(count_) ||
                    !hostWeights_.allocate(count_))) {
    const std::string text = "not enough system memory for " + std::to_string(count_) + " particles";
    return fail(text, error);
  }
  return true;
}

bool InkSim::uploadInputs(const std::vector<Tube>& tubes, const std::vector<Tri>& triangles, std::string& error) {
  const auto tubeCount = static_cast<std::int64_t>(tubes.size());
  if (!tubes_.reserve(tubeCount)) return fail("GPU out of memory (vortex track)", error);
  gpu::FirstError device;
  if (!device.check(upload(tubes_.data(), tubes.data(), tubeCount))) return fail(device.text(), error);

  const std::vector<float> table = areaTable(triangles);
  const auto triangleCount = static_cast<std::int64_t>(triangles.size());
  if (!triangles_.reserve(triangleCount) || !areas_.reserve(triangleCount))
    return fail("GPU out of memory (emitter mesh)", error);
  if (!device.check(upload(triangles_.data(), triangles.data(), triangleCount)) ||
      !device.check(upload(areas_.data(), table.data(), triangleCount)))
    return fail(device.text(), error);
  return true;
}

bool InkSim::configure(const Params& params, const std::vector<Tube>& tubes, const std::vector<Tri>& triangles,
                       std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!describeDevice(error)) return false;
  if (configured_ && params == lastParams_ && tubes == lastTubes_ && triangles == lastTriangles_) return true;

  const std::int64_t n = std::max<std::int64_t>(params.count, 1);
  const bool haveBuffers = positions_.data() || !hostPositions_.empty();
  if (n != count_ || !haveBuffers) {
    count_ = n;
    if (!allocateParticles(error)) return false;
  }
  if (!uploadInputs(tubes, triangles, error)) return false;

  params_ = boundedRecord(params, tubes.size(), triangles.size());
  lastParams_ = params;
  lastTubes_ = tubes;
  lastTriangles_ = triangles;
  configured_ = true;
  hasState_ = false;
  snapshots_.clear();
  hostSnapshotBytes_ = 0;
  return true;
}

bool InkSim::launch(std::int64_t first, std::int64_t count, float t0, float t1, bool withState,
                    gpu::FirstError& device) {
  return device.check(advanceKernel(params_, {tubes_.data(), triangles_.data(), areas_.data()}, positions_.data(),
                                    weights_.data(), first, count, t0, t1, withState),
                      "launch failed");
}

// Waits for the launches; the particles then stand at time t.
bool InkSim::finishStep(float t, gpu::FirstError& device) {
  if (!device.synchronize()) return false;
  time_ = t;
  hasState_ = true;
  return true;
}

bool InkSim::advanceStreamed(float t, std::string& error) {
  const bool withState = hasState_;
  const float t0 = withState ? time_ : t;
  gpu::FirstError device;
  for (std::int64_t a = 0; a < count_; a += chunk_) {
    const std::int64_t n = std::min(chunk_, count_ - a);
    const bool done = (!withState || device.check(upload(positions_.data(), hostPositions_.data() + a, n))) &&
                      launch(a, n, t0, t, withState, device) &&
                      device.check(download(hostPositions_.data() + a, positions_.data(), n)) &&
                      device.check(download(hostWeights_.data() + a, weights_.data(), n));
    if (!done) return lostState(device, error);
  }
  return finishStep(t, device) || lostState(device, error);
}

bool InkSim::restore(const InkSnapshot& snapshot, gpu::FirstError& device) {
  if (snapshot.device) {
    const auto* block = static_cast<const unsigned char*>(snapshot.device.get());
    if (!device.check(gpu::memcpy(positions_.data(), block, sizeof(orb::Vec) * count_,
                                  gpu::CopyKind::DeviceToDevice)) ||
        !device.check(gpu::memcpy(weights_.data(), block + sizeof(orb::Vec) * count_, sizeof(float) * count_,
                                  gpu::CopyKind::DeviceToDevice)))
      return false;
  } else if (!device.check(upload(positions_.data(), snapshot.positions.data(), count_)) ||
             !device.check(upload(weights_.data(), snapshot.weights.data(), count_))) {
    return false;
  }
  time_ = snapshot.time;
  hasState_ = true;
  return true;
}

void InkSim::takeSnapshot() {
  for (const InkSnapshot& s : snapshots_)
    if (s.time == time_) return;
  const std::int64_t bytes = 16 * count_;
  const std::size_t positionBytes = sizeof(orb::Vec) * count_, weightBytes = sizeof(float) * count_;
  InkSnapshot snap;
  snap.time = time_;
  snap.count = count_;

  std::size_t freeBytes = 0, totalBytes = 0;
  if (gpu::memGetInfo(&freeBytes, &totalBytes) == gpu::Success &&
      static_cast<std::int64_t>(freeBytes) > bytes + kSnapshotDeviceHeadroom) {
    void* block = nullptr;
    gpu::FirstError copy;
    if (copy.check(gpu::malloc(&block, static_cast<std::size_t>(bytes)))) {
      snap.device = std::shared_ptr<void>(block, [](void* p) { gpu::free(p); });
      auto* bytesOut = static_cast<unsigned char*>(block);
      if (copy.check(gpu::memcpy(bytesOut, positions_.data(), positionBytes, gpu::CopyKind::DeviceToDevice)) &&
          copy.check(gpu::memcpy(bytesOut + positionBytes, weights_.data(), weightBytes,
                                 gpu::CopyKind::DeviceToDevice))) {
        snapshots_.push_back(std::move(snap));
        return;
      }
      snap.device.reset();
    }
  }

  if (hostSnapshotBytes_ + bytes > hostSnapshotBudget()) return;
  try {
    snap.positions.resize(count_);
    snap.weights.resize(count_);
  } catch (const std::bad_alloc&) {
    return;  // a snapshot is an optimisation: without one the engine recomputes
  }
  gpu::FirstError copy;
  if (!copy.check(download(snap.positions.data(), positions_.data(), count_)) ||
      !copy.check(download(snap.weights.data(), weights_.data(), count_)))
    return;
  snapshots_.push_back(std::move(snap));
  hostSnapshotBytes_ += bytes;
}

bool InkSim::advanceResident(float t, std::string& error) {
  const InkSnapshot* latest = nullptr;
  for (const InkSnapshot& s : snapshots_)
    if (s.time <= t && (!latest || s.time > latest->time)) latest = &s;

  gpu::FirstError device;
  float d;
  if (latest && (!hasState_ || t < time_ || time_ < latest->time)) {
    if (!restore(*latest, device)) return lostState(device, error);
    if (time_ == t) return true;
    d = time_;
  } else if (hasState_ && t >= time_) {
    d = time_;
  } else {
    // From scratch: seed and integrate to the last quarter second in one go.
    d = std::floor(4.f * t) / 4.f;
    if (d <= 0.f || t <= d) d = t;
    if (!launch(0, count_, d, d, false, device) || !finishStep(d, device)) return lostState(device, error);
    if (isQuarterSecond(d)) takeSnapshot();
  }
  while (d < t) {
    const float e = std::min(std::floor(4.f * d + 0.0001f) / 4.f + 0.25f, t);
    if (!launch(0, count_, d, e, true, device) || !finishStep(e, device)) return lostState(device, error);
    if (isQuarterSecond(e)) takeSnapshot();
    d = e;
  }
  return true;
}

bool InkSim::advance(float t, std::string& error) {
  std::lock_guard lock(gpuLock());
  const AdvanceStart start = advanceStart(configured_, hasState_, time_, t, error);
  if (start != AdvanceStart::Run) return start == AdvanceStart::AlreadyThere;
  const auto started = std::chrono::steady_clock::now();
  const bool ok = streamed_ ? advanceStreamed(t, error) : advanceResident(t, error);
  lastAdvanceSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return ok;
}

bool InkSim::stream(const ChunkSink& sink, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!hasState_) {
    error = "no state";
    return false;
  }
  const FlowInputs inputs{tubes_.data(), triangles_.data(), areas_.data()};
  const std::int64_t batch = streamed_ ? chunk_ : count_;
  const bool haveRest = rest_.reserve(batch);
  gpu::FirstError device;
  for (std::int64_t a = 0; a < count_; a += batch) {
    const std::int64_t n = std::min(batch, count_ - a);
    if (streamed_ && device.check(upload(positions_.data(), hostPositions_.data() + a, n)))
      device.check(upload(weights_.data(), hostWeights_.data() + a, n));
    if (haveRest && device.ok()) device.check(restKernel(params_, inputs, rest_.data(), a, n, time_), "launch failed");
    Chunk chunk;
    chunk.positions = positions_.data();
    chunk.weights = weights_.data();
    chunk.count = n;
    chunk.first = a;
    chunk.rest = haveRest ? rest_.data() : nullptr;
    if (!deliverBatch(device, sink, chunk, error)) return false;
  }
  return true;
}

ChunkSource InkSim::source() {
  return [this](const ChunkSink& sink, std::string& error) { return stream(sink, error); };
}

void releaseInkEngine(InkSim& sim) {
  std::lock_guard lock(gpuLock());
  sim.releaseAll();
}

bool downloadInk(InkSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::vector<float>* weights,
                 std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!sim.hasState_) {
    error = "no state";
    return false;
  }
  const std::int64_t n = std::clamp<std::int64_t>(maxCount, 0, sim.count_);
  positions.resize(n);
  if (weights) weights->resize(n);
  if (sim.streamed_) {
    std::copy_n(sim.hostPositions_.data(), n, positions.data());
    if (weights) std::copy_n(sim.hostWeights_.data(), n, weights->data());
    return true;
  }
  gpu::FirstError device;
  if (!device.check(download(positions.data(), sim.positions_.data(), n), "download failed") ||
      (weights && !device.check(download(weights->data(), sim.weights_.data(), n), "download failed"))) {
    error = device.text();
    return false;
  }
  return true;
}

}  // namespace ink
