#include "ink/render/DensityExport.h"

#include <cstdint>
#include <mutex>

#include "gpu/DeviceArray.h"
#include "gpu/FirstError.h"
#include "ink/render/RenderKernels.h"
#include "ink/render/RenderUpload.h"
#include "ink/sim/GpuContext.h"

namespace ink {

bool buildDensityGrid(const std::vector<ChunkSource>& sources, const std::vector<float>& weights, float halfExtent,
                      int r, std::vector<float>& out, std::string& status) {
  std::lock_guard lock(gpuLock());
  // r³ must fit 64 bits; anything that large (or not positive) cannot be held either.
  constexpr int kLargestSide = 2097151;
  const std::int64_t cells = static_cast<std::int64_t>(r) * r * r;
  gpu::DeviceArray<float> grid;  // freed on every return
  if (r <= 0 || r > kLargestSide || !grid.reserve(cells)) {
    status = "GPU out of memory for a " + std::to_string(r) + "^3 grid";
    return false;
  }
  if (weights.size() < sources.size()) {
    status = "one particle weight per source is needed";
    return false;
  }
  gpu::FirstError device;
  if (!device.check(gpu::memset(grid.data(), 0, sizeof(float) * static_cast<std::size_t>(cells))))
    return report(device, status);
  const float cellSize = 2.f * halfExtent / static_cast<float>(r);
  const GridInfo info{r, halfExtent, cellSize};
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const float scale = weights[i] / (cellSize * cellSize * cellSize);
    if (!streamSource(sources[i], device, status, [&](const Chunk& c) {
          return device.check(splatTrilinear(c.positions, c.weights, c.count, info, grid.data(), scale));
        }))
      return false;
  }
  return (device.synchronize() || report(device, status)) &&
         downloadFloats(out, grid.data(), cells, device, "not enough system memory for the grid", status);
}

}  // namespace ink
