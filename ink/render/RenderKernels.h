#pragma once
// The renderer's kernels: one thread per particle, cell, triangle or pixel,
// in blocks of 256, on the default stream. Each returns the launch status.
#include <cstdint>

#include "gpu/Device.h"
#include "ink/render/Bubbles.h"
#include "ink/render/RenderRecords.h"
#include "util/Vec.h"

namespace ink {

// scale × weight into the cell holding each particle (the render's density grid).
gpu::Status splatGrid(const orb::Vec* positions, const float* weights, std::int64_t count, GridInfo grid, float* out,
                      float scale);
// scale × weight shared by the eight cells around each particle (the exporters' grid).
gpu::Status splatTrilinear(const orb::Vec* positions, const float* weights, std::int64_t count, GridInfo grid,
                           float* out, float scale);
// Optical depth of every cell towards `direction` (mode 0) or `position` (mode 1).
gpu::Status depthGrid(GridInfo grid, const float* density, float* out, orb::Vec direction, orb::Vec position,
                      std::int32_t mode);
gpu::Status matteRaster(const MatteTriangle* triangles, std::int64_t count, Camera camera, float tanHalfFovY,
                        std::int32_t width, std::int32_t height, float* pairs);
gpu::Status sceneRaster(const SceneTriangle* triangles, std::int64_t count, Camera camera, float tanHalfFovY,
                        std::int32_t width, std::int32_t height, float* depth, std::int32_t* index,
                        std::int32_t mode);
// One chunk of particles into the image accumulator (and the pass
// accumulator named in the record).
gpu::Status splatImage(const orb::Vec* positions, const float* weights, std::int64_t count, GridInfo grid,
                       const float* lightGrids, const float* viewGrid, const SplatArgs& args, float* accumulator,
                       const orb::Vec* rest, std::int32_t restIsUV, const orb::Vec* previous, std::uint64_t idBase,
                       const float* density, const orb::Vec* colours, const orb::Vec* emission);
// The finished RGBA image (and the pass record named in the record) over
// width × height pixels. With `bubbleScratch` (room for the record's bubble
// count) the bubbles are placed once, one thread each, before the pixels.
gpu::Status finishImage(const FinishArgs& args, const float* accumulator, float* image,
                        Bubble* bubbleScratch = nullptr);
// side² caustic photons of one light into its photon map (resolution² floats).
gpu::Status causticPhotons(orb::Vec lightDirection, float glassRadius, float ior, float floorHeight,
                           std::int32_t resolution, float halfSize, std::int32_t side, float* photonMap,
                           float tanLightSize);
// The photon map filtered into energy per unit floor area, one thread per cell.
gpu::Status causticNormalise(const float* photonMap, float* causticMap, std::int32_t resolution, float halfSize,
                             float cosIncidence, float blur);
// value into `count` floats (the raster buffers start at the empty depth).
gpu::Status fillFloats(float* data, std::int64_t count, float value);
gpu::Status fillInts(std::int32_t* data, std::int64_t count, std::int32_t value);

}  // namespace ink
