#pragma once
// The container mesh as a signed distance grid on the device, rebuilt only
// when the scene's container changes.
#include <cstdint>
#include <string>
#include <vector>

#include "gpu/DeviceArray.h"
#include "ink/sim/InkRecords.h"
#include "util/Vec.h"

namespace ink {

class ContainerSdf {
 public:
  // Builds the grid from a triangle soup (nine floats per triangle, ink
  // space) at the requested resolution, clamped to [16, 256]. Holds the GPU
  // lock. On failure the grid is released and the text says why.
  bool buildContainer(const std::vector<float>& vertices, int requestedRes, std::string& error);

  // Points the advance record at the grid (or at none).
  void applyTo(Params& params) const;
  void release();

  int res() const { return res_; }
  orb::Vec origin() const { return origin_; }
  float cell() const { return cell_; }
  float largestCoordinate() const { return largestCoordinate_; }
  const float* grid() const { return res_ > 0 ? grid_.data() : nullptr; }
  std::int64_t builds() const { return builds_; }

 private:
  int res_ = 0;
  orb::Vec origin_{0, 0, 0};
  float cell_ = 0.f;
  float largestCoordinate_ = 0.f;
  gpu::DeviceArray<float> grid_;
  gpu::DeviceArray<float> vertices_;
  std::int64_t builds_ = 0;
};

}  // namespace ink
