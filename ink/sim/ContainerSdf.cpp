#include "ink/sim/ContainerSdf.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "gpu/Device.h"
#include "gpu/FirstError.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/OrbInkKernels.h"

namespace ink {

bool ContainerSdf::buildContainer(const std::vector<float>& vertices, int requestedRes, std::string& error) {
  std::lock_guard lock(gpuLock());
  const std::int64_t triangles = static_cast<std::int64_t>(vertices.size() / 9);
  if (triangles == 0) {
    error = "container has no triangles";
    return false;
  }
  orb::Vec lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
  float largest = 0.f;
  for (std::int64_t i = 0; i < triangles * 9; i += 3) {
    const orb::Vec v{vertices[i], vertices[i + 1], vertices[i + 2]};
    lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
    hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
    largest = std::max({largest, std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
  }
  const int res = std::clamp(requestedRes, 16, 256);
  const float side = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
  const float cell = 1.1f * side / static_cast<float>(res - 2);
  const orb::Vec centre = (lo + hi) * 0.5f;
  const float half = 0.5f * static_cast<float>(res) * cell;
  const orb::Vec origin{centre.x - half, centre.y - half, centre.z - half};

  const std::int64_t cells = static_cast<std::int64_t>(res) * res * res;
  if (!grid_.reserve(cells) || !vertices_.reserve(triangles * 9)) {
    release();
    error = "GPU out of memory (container)";
    return false;
  }
  gpu::FirstError device;
  if (!device.check(gpu::memcpy(vertices_.data(), vertices.data(), sizeof(float) * 9 * triangles,
                                gpu::CopyKind::HostToDevice)) ||
      !device.check(sdfKernel(vertices_.data(), static_cast<int>(triangles), res, origin, cell, grid_.data())) ||
      !device.synchronize()) {
    release();
    error = device.text();
    return false;
  }
  res_ = res;
  origin_ = origin;
  cell_ = cell;
  largestCoordinate_ = largest;
  ++builds_;
  return true;
}

void ContainerSdf::applyTo(Params& params) const {
  params.grid = grid();
  params.gridRes = grid() ? res_ : 0;
  params.gridOrigin = origin_;
  params.gridCell = grid() ? cell_ : 0.f;
}

void ContainerSdf::release() {
  grid_.release();
  vertices_.release();
  res_ = 0;
  cell_ = 0.f;
}

}  // namespace ink
