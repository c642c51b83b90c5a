#include "ink/sim/SilkSim.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "gpu/FirstError.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/StreamSteps.h"
#include "ink/sim/InkSim.h"
#include "ink/sim/SourceKernels.h"

namespace ink {

namespace {
constexpr const char* kNotConfigured = "silk not configured";
}  // namespace

std::int64_t silkChunkSize(std::int64_t budget16) {
  return std::clamp<std::int64_t>(budget16 / 2, kMinStreamChunk, kMaxStreamChunk);
}

std::vector<float> silkAreaTable(const std::vector<SilkTri>& triangles) {
  std::vector<double> sums(triangles.size());
  double total = 0.0;
  for (std::size_t i = 0; i < triangles.size(); ++i) {
    const SilkTri& t = triangles[i];
    const double area = 0.5 * std::fabs((double(t.a2) - t.a0) * (double(t.b1) - t.b0) -
                                        (double(t.a1) - t.a0) * (double(t.b2) - t.b0));
    total += std::max(area, 1e-12);
    sums[i] = total;
  }
  std::vector<float> table(triangles.size());
  for (std::size_t i = 0; i < sums.size(); ++i) table[i] = static_cast<float>(sums[i] / total);
  return table;
}

bool SilkSim::uploadMesh(const std::vector<SilkTri>& triangles, std::string& error) {
  const auto n = static_cast<std::int64_t>(triangles.size());
  const std::int32_t cells = guideCells(triangles.size());
  if (!triangles_.reserve(n) || !areas_.reserve(n) || !guide_.reserve(cells + 1)) {
    // The mesh set goes as a whole: the source is unconfigured.
    triangles_.release();
    areas_.release();
    guide_.release();
    lastTriangles_.clear();
    params_.triangleCount = 0;
    error = "GPU out of memory (silk mesh)";
    return false;
  }
  const std::vector<float> table = silkAreaTable(triangles);
  const std::vector<std::int32_t> guide = pickGuide(table);
  guideCells_ = cells;
  gpu::FirstError device;
  if (!device.check(upload(triangles_.data(), triangles.data(), n)) ||
      !device.check(upload(areas_.data(), table.data(), n)) ||
      !device.check(upload(guide_.data(), guide.data(), cells + 1))) {
    lastTriangles_.clear();
    params_.triangleCount = 0;
    error = device.text();
    return false;
  }
  lastTriangles_ = triangles;
  return true;
}

bool SilkSim::allocateChunk() {
  std::string device;
  chunk_ = silkChunkSize(residentBudget(kBytesPerInkParticle, device));
  if (positions_.reserve(chunk_) && weights_.reserve(chunk_)) return true;
  positions_.release();
  weights_.release();
  chunk_ = 0;
  return false;
}

bool SilkSim::configure(const SilkParams& params, const std::vector<SilkTri>& triangles, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!describeDevice(error)) return false;
  if (triangles.empty()) {
    error = "silk: the cloth source has no triangles";
    return false;
  }
  if (triangles != lastTriangles_ && !uploadMesh(triangles, error)) return false;
  params_ = params;
  params_.count = std::max<std::int64_t>(params.count, 0);
  params_.triangleCount = static_cast<std::int32_t>(std::min<std::size_t>(triangles.size(), 0x7FFFFFFF));
  // The batch size is chosen once; a configure after a failed allocation
  // tries again rather than leaving the source broken for good.
  if (chunk_ == 0 && !allocateChunk()) error = "GPU out of memory (silk chunk)";
  return true;
}

bool SilkSim::stream(const ChunkSink& sink, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!ready()) {
    error = kNotConfigured;
    return false;
  }
  // Without room for texture positions the batches go out without them.
  orb::Vec* texture = texture_.reserve(chunk_) ? texture_.data() : nullptr;
  gpu::FirstError device;
  for (std::int64_t a = 0; a < params_.count; a += chunk_) {
    const std::int64_t n = std::min(chunk_, params_.count - a);
    device.check(silkKernel(params_, triangles_.data(), pick(), positions_.data(), weights_.data(), a, n,
                            texture),
                 "launch failed");
    Chunk chunk;
    chunk.positions = positions_.data();
    chunk.weights = weights_.data();
    chunk.count = n;
    chunk.first = a;
    chunk.rest = texture;
    chunk.kind = 1;
    if (!deliverBatch(device, sink, chunk, error)) return false;
  }
  return true;
}

ChunkSource SilkSim::source() {
  return [this](const ChunkSink& sink, std::string& error) { return stream(sink, error); };
}

bool downloadSilk(SilkSim& sim, std::int64_t maxCount, std::vector<orb::Vec>& positions, std::string& error) {
  std::lock_guard lock(gpuLock());
  if (!sim.ready()) {
    error = kNotConfigured;
    return false;
  }
  const std::int64_t n = std::clamp<std::int64_t>(std::min({maxCount, sim.params_.count, sim.chunk_}), 0, sim.chunk_);
  gpu::FirstError device;
  device.check(silkKernel(sim.params_, sim.triangles_.data(), sim.pick(), sim.positions_.data(),
                          sim.weights_.data(), 0, n, nullptr),
               "launch failed");
  if (!device.synchronize()) {
    error = device.text();
    return false;
  }
  positions.resize(static_cast<std::size_t>(n));
  if (!device.check(download(positions.data(), sim.positions_.data(), n), "download failed")) {
    error = device.text();
    return false;
  }
  return true;
}

}  // namespace ink
