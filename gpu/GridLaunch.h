#pragma once
// Launches over the cells (or faces) of a 3-D grid and over a 2-D face of
// one: blocks of 8 × 8 × 8 and 16 × 16 threads on the cuda backend; on the
// cpu backend the rows along x are shared out over the pool and each row
// runs in order, so neighbouring items of a row stay on one thread. Bodies
// are ORB_HD callables taking (int i, int j, int k) or (int i, int j).
//
// forEachCellLanes runs a lane-generic body (gpu/LaneLaunch.h) over the
// cells: `template <class I> void operator()(I i, int j, int k)` with I an
// int for one cell, or gpu::LaneItems for a run of up to kLanes cells of
// row (j, k) on the cpu backend.
#include <algorithm>
#include <cstdint>

#include "gpu/LaneLaunch.h"
#include "gpu/Launch.h"

namespace gpu {

struct Extent3 {
  int nx, ny, nz;
};
struct Extent2 {
  int nx, ny;
};

#if defined(ORB_GPU_BACKEND_CUDA) && defined(__CUDACC__)

template <class Body>
__global__ void forEachCellKernel(Body body, Extent3 e) {
  const int i = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
  const int j = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
  const int k = static_cast<int>(blockIdx.z * blockDim.z + threadIdx.z);
  if (i < e.nx && j < e.ny && k < e.nz) body(i, j, k);
}

template <class Body>
__global__ void forEachFacePointKernel(Body body, Extent2 e) {
  const int i = static_cast<int>(blockIdx.x * blockDim.x + threadIdx.x);
  const int j = static_cast<int>(blockIdx.y * blockDim.y + threadIdx.y);
  if (i < e.nx && j < e.ny) body(i, j);
}

template <class Body>
Status forEachCell(const char* name, Extent3 e, Body body, Stream stream = nullptr) {
  if (e.nx <= 0 || e.ny <= 0 || e.nz <= 0) return Success;
  detail::recordLaunch(name, 0.0);
  const dim3 block(8, 8, 8);
  const dim3 grid((e.nx + 7) / 8, (e.ny + 7) / 8, (e.nz + 7) / 8);
  forEachCellKernel<<<grid, block, 0, reinterpret_cast<cudaStream_t>(stream)>>>(body, e);
  return detail::launchStatus();
}

template <class Body>
Status forEachFacePoint(const char* name, Extent2 e, Body body, Stream stream = nullptr) {
  if (e.nx <= 0 || e.ny <= 0) return Success;
  detail::recordLaunch(name, 0.0);
  const dim3 block(16, 16);
  const dim3 grid((e.nx + 15) / 16, (e.ny + 15) / 16);
  forEachFacePointKernel<<<grid, block, 0, reinterpret_cast<cudaStream_t>(stream)>>>(body, e);
  return detail::launchStatus();
}

template <class Body>
Status forEachCellLanes(const char* name, Extent3 e, const Body& body, Stream stream = nullptr) {
  return forEachCell(name, e, body, stream);
}

#elif !defined(ORB_GPU_BACKEND_CUDA)

template <class Body>
Status forEachCell(const char* name, Extent3 e, Body body, Stream stream = nullptr) {
  (void)stream;
  if (e.nx <= 0 || e.ny <= 0 || e.nz <= 0) return Success;
  const std::int64_t rows = static_cast<std::int64_t>(e.ny) * e.nz;
  detail::parallelFor(name, rows, [&body, e](std::int64_t begin, std::int64_t end) {
    for (std::int64_t r = begin; r < end; ++r) {
      const int j = static_cast<int>(r % e.ny), k = static_cast<int>(r / e.ny);
      for (int i = 0; i < e.nx; ++i) body(i, j, k);
    }
  });
  return detail::launchStatus();
}

template <class Body>
Status forEachFacePoint(const char* name, Extent2 e, Body body, Stream stream = nullptr) {
  (void)stream;
  if (e.nx <= 0 || e.ny <= 0) return Success;
  detail::parallelFor(name, e.ny, [&body, e](std::int64_t begin, std::int64_t end) {
    for (std::int64_t j = begin; j < end; ++j)
      for (int i = 0; i < e.nx; ++i) body(i, static_cast<int>(j));
  });
  return detail::launchStatus();
}

template <class Body>
Status forEachCellLanes(const char* name, Extent3 e, const Body& body, Stream stream = nullptr) {
  (void)stream;
  if (e.nx <= 0 || e.ny <= 0 || e.nz <= 0) return Success;
  const std::int64_t rows = static_cast<std::int64_t>(e.ny) * e.nz;
  detail::parallelFor(name, rows, [&body, e](std::int64_t begin, std::int64_t end) {
    atVectorLevel([&]() __attribute__((always_inline)) {
      constexpr int kLanes = util::lanes::kLanes;
      for (std::int64_t r = begin; r < end; ++r) {
        const int j = static_cast<int>(r % e.ny), k = static_cast<int>(r / e.ny);
        for (int i = 0; i < e.nx; i += kLanes) body(LaneItems{i, std::min(kLanes, e.nx - i), 1}, j, k);
      }
    });
  });
  return detail::launchStatus();
}

#endif

// The x index of a cell, or of each cell of a run (lanes past the run
// repeat its last cell).
ORB_HD ORB_ALWAYS_INLINE std::int32_t cellIndex(int i) { return i; }
ORB_HD ORB_ALWAYS_INLINE float cellIndexValue(int i) { return static_cast<float>(i); }
// Keeps the cells below `end`: false when none is left.
ORB_HD ORB_ALWAYS_INLINE bool limitItems(int& i, int end) { return i < end; }
#if !defined(__CUDACC__)
ORB_ALWAYS_INLINE util::lanes::Ints cellIndex(LaneItems i) {
  namespace lanes = util::lanes;
  return lanes::Ints(static_cast<std::int32_t>(i.first)) + lanes::laneOffsets<lanes::Ints>(i.count);
}
ORB_ALWAYS_INLINE util::lanes::Floats cellIndexValue(LaneItems i) { return util::lanes::toFloat(cellIndex(i)); }
ORB_ALWAYS_INLINE bool limitItems(LaneItems& i, int end) {
  i.count = static_cast<int>(std::min<std::int64_t>(i.count, end - i.first));
  return i.count > 0;
}
#endif

}  // namespace gpu
