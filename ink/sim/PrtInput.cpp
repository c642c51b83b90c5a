#include "ink/sim/PrtInput.h"

#include <algorithm>
#include <mutex>

#include "gpu/FirstError.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/StreamSteps.h"

namespace ink {

namespace {
gpu::Status upload(void* device, const float* host, std::int64_t floats) {
  return gpu::memcpy(device, host, sizeof(float) * static_cast<std::size_t>(floats), gpu::CopyKind::HostToDevice);
}
}  // namespace

void PrtInput::load(std::vector<float> positions, std::vector<float> densities, std::vector<float> colours,
                    std::vector<float> emission) {
  positions_ = std::move(positions);
  positions_.resize(positions_.size() / 3 * 3);
  const auto n = static_cast<std::size_t>(count());
  densities_ = std::move(densities);
  if (densities_.size() != n) densities_.assign(n, 1.f);
  colours_ = std::move(colours);
  emission_ = std::move(emission);
}

void PrtInput::clear() {
  std::lock_guard lock(gpuLock());
  positions_ = {};
  densities_ = {};
  colours_ = {};
  emission_ = {};
  releaseDevice();
}

void PrtInput::releaseDevice() {
  devicePositions_.release();
  deviceDensities_.release();
  deviceColours_.release();
  deviceEmission_.release();
  capacity_ = 0;
}

// The four buffers grow together; a failure leaves none of them.
bool PrtInput::reserveBatch(std::int64_t batch) {
  if (batch <= capacity_) return true;
  releaseDevice();
  if (!devicePositions_.reserve(batch) || !deviceDensities_.reserve(batch) || !deviceColours_.reserve(batch) ||
      !deviceEmission_.reserve(batch)) {
    releaseDevice();
    return false;
  }
  capacity_ = batch;
  return true;
}

bool PrtInput::stream(const ChunkSink& sink, std::string& error) {
  std::lock_guard lock(gpuLock());
  const std::int64_t n = count();
  if (n == 0) {
    error = "no PRT particles loaded";
    return false;
  }
  if (!reserveBatch(std::min(n, kPrtInputBatch))) {
    error = "GPU out of memory (PRT input)";
    return false;
  }
  const bool colours = streamsColours(), emission = streamsEmission();
  gpu::FirstError device;
  for (std::int64_t a = 0; a < n; a += capacity_) {
    const std::int64_t m = std::min(capacity_, n - a);
    device.check(upload(devicePositions_.data(), positions_.data() + 3 * a, 3 * m));
    device.check(upload(deviceDensities_.data(), densities_.data() + a, m));
    if (colours) device.check(upload(deviceColours_.data(), colours_.data() + 3 * a, 3 * m));
    if (emission) device.check(upload(deviceEmission_.data(), emission_.data() + 3 * a, 3 * m));
    if (!device.ok()) {
      error = device.text();
      return false;
    }
    Chunk chunk;
    chunk.positions = devicePositions_.data();
    chunk.weights = deviceDensities_.data();
    chunk.count = m;
    chunk.first = a;
    chunk.colours = colours ? deviceColours_.data() : nullptr;
    chunk.emission = emission ? deviceEmission_.data() : nullptr;
    if (!deliverBatch(device, sink, chunk, error)) return false;
  }
  return true;
}

ChunkSource PrtInput::source() {
  return [this](const ChunkSink& sink, std::string& error) { return stream(sink, error); };
}

}  // namespace ink
