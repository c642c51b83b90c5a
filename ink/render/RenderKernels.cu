#include "ink/render/RenderKernels.h"

#include "gpu/Accumulate.h"
#include "gpu/Launch.h"
#include "ink/render/Caustics.h"
#include "ink/render/Finish.h"
#include "ink/render/Grid.h"
#include "ink/render/Raster.h"
#include "ink/render/Splat.h"
#include "ink/render/SplatPacks.h"

namespace ink {

namespace {
gpu::AccumulatorTargets targets(float* first, std::int64_t firstFloats, float* second = nullptr,
                                std::int64_t secondFloats = 0) {
  gpu::AccumulatorTargets t;
  t.data[0] = first;
  t.floats[0] = firstFloats;
  t.data[1] = second;
  t.floats[1] = second ? secondFloats : 0;
  return t;
}

std::int64_t cellCount(const GridInfo& grid) {
  const std::int64_t n = grid.n > 0 ? grid.n : 0;
  return n * n * n;
}
}  // namespace

// splatImage's grouping key: the particles' screen tiles, a pack at a time
// on the cpu backend.
struct SplatImageTileKey {
  SplatArgs a;
  const orb::Vec* positions;
  ORB_HD ORB_ALWAYS_INLINE std::uint32_t operator()(std::int64_t i) const { return splatTile(a, positions[i]); }
#if !defined(__CUDACC__)
  ORB_ALWAYS_INLINE util::lanes::Uints operator()(gpu::LaneItems i) const {
    return splatTileOf<util::lanes::Floats>(a, gpu::get(positions, i));
  }
#endif
};

// splatImage's body: one particle on the device, a run of them shaded as a
// pack on the cpu backend.
struct SplatImageBody {
  SplatArgs a;
  SplatInputs in;
  ORB_HD ORB_ALWAYS_INLINE void operator()(std::int64_t slot, std::int64_t item, const gpu::Accumulator& acc) const {
    splatParticle(a, in, slot, item, acc);
  }
#if !defined(__CUDACC__)
  ORB_ALWAYS_INLINE void operator()(gpu::LaneItems slots, const std::int64_t* order, const gpu::Accumulator& acc) const {
    splatParticles(a, in, SplatRun{slots, order}, acc);
  }
#endif
};

gpu::Status splatGrid(const orb::Vec* positions, const float* weights, std::int64_t count, GridInfo grid, float* out,
                      float scale) {
  return gpu::forEachAccumulating("ink::splatGrid", count, targets(out, cellCount(grid)),
                                  [=] ORB_HD(std::int64_t i, const gpu::Accumulator& acc) {
                                    splatGridParticle(grid, positions[i], scale * weights[i], acc);
                                  });
}

gpu::Status splatTrilinear(const orb::Vec* positions, const float* weights, std::int64_t count, GridInfo grid,
                           float* out, float scale) {
  return gpu::forEachAccumulating("ink::splatTrilinear", count, targets(out, cellCount(grid)),
                                  [=] ORB_HD(std::int64_t i, const gpu::Accumulator& acc) {
                                    splatTrilinearParticle(grid, positions[i], scale * weights[i], acc);
                                  });
}

gpu::Status depthGrid(GridInfo grid, const float* density, float* out, orb::Vec direction, orb::Vec position,
                      std::int32_t mode) {
  return gpu::forEach("ink::depthGrid", cellCount(grid), [=] ORB_HD(std::int64_t cell) {
    out[cell] = opticalDepth(grid, density, cell, direction, position, mode);
  });
}

gpu::Status matteRaster(const MatteTriangle* triangles, std::int64_t count, Camera camera, float tanHalfFovY,
                        std::int32_t width, std::int32_t height, float* pairs) {
  const RasterView view{camera, tanHalfFovY, width, height};
  return gpu::forEach("ink::matteRaster", count,
                      [=] ORB_HD(std::int64_t t) { rasterMatte(view, triangles[t], pairs); });
}

gpu::Status sceneRaster(const SceneTriangle* triangles, std::int64_t count, Camera camera, float tanHalfFovY,
                        std::int32_t width, std::int32_t height, float* depth, std::int32_t* index,
                        std::int32_t mode) {
  const RasterView view{camera, tanHalfFovY, width, height};
  return gpu::forEach("ink::sceneRaster", count, [=] ORB_HD(std::int64_t t) {
    rasterScene(view, triangles[t], static_cast<std::int32_t>(t), depth, index, mode);
  });
}

gpu::Status splatImage(const orb::Vec* positions, const float* weights, std::int64_t count, GridInfo grid,
                       const float* lightGrids, const float* viewGrid, const SplatArgs& args, float* accumulator,
                       const orb::Vec* rest, std::int32_t restIsUV, const orb::Vec* previous, std::uint64_t idBase,
                       const float* density, const orb::Vec* colours, const orb::Vec* emission) {
  const SplatArgs a = args;
  const std::int64_t pixels = static_cast<std::int64_t>(a.width) * a.height;
  gpu::GroupedLaunch<SplatImageTileKey> launch("ink::splatImage", count, splatTileCount(a), SplatImageTileKey{a, positions});
  SplatInputs in{positions, weights, grid, lightGrids, viewGrid, rest, restIsUV, previous, idBase, density,
                 colours, emission};
  launch.reorder({gpu::reordered(in.positions), gpu::reordered(in.weights), gpu::reordered(in.rest),
                  gpu::reordered(in.previous), gpu::reordered(in.colours), gpu::reordered(in.emission)});
  return launch.runLanes(targets(accumulator, pixels * kAccumulatorFloats, a.passes, pixels * kPassAccumulatorFloats),
                         SplatImageBody{a, in});
}

gpu::Status finishImage(const FinishArgs& args, const float* accumulator, float* image, Bubble* bubbleScratch) {
  const FinishArgs a = args;
  const BubbleField field = bubbleField(a);
  const Bubble* placed = nullptr;
  if (bubbleScratch && field.count > 0) {
    if (const gpu::Status s = gpu::forEach("ink::placeBubbles", field.count,
                                           [=] ORB_HD(std::int64_t i) {
                                             bubbleScratch[i] = bubbleAt(field, static_cast<std::int32_t>(i));
                                           });
        s != gpu::Success)
      return s;
    placed = bubbleScratch;
  }
  return gpu::forEach("ink::finishImage", static_cast<std::int64_t>(a.width) * a.height,
                      [=] ORB_HD(std::int64_t pixel) { finishPixel(a, accumulator, image, pixel, placed); });
}

gpu::Status causticPhotons(orb::Vec lightDirection, float glassRadius, float ior, float floorHeight,
                           std::int32_t resolution, float halfSize, std::int32_t side, float* photonMap,
                           float tanLightSize) {
  const PhotonArgs a{lightDirection, glassRadius, ior, floorHeight, resolution, halfSize, side, tanLightSize};
  const std::int64_t cells = static_cast<std::int64_t>(resolution) * resolution;
  return gpu::forEachAccumulating("ink::causticPhotons", static_cast<std::int64_t>(side) * side,
                                  targets(photonMap, cells),
                                  [=] ORB_HD(std::int64_t i, const gpu::Accumulator& acc) { tracePhoton(a, i, acc); });
}

gpu::Status causticNormalise(const float* photonMap, float* causticMap, std::int32_t resolution, float halfSize,
                             float cosIncidence, float blur) {
  return gpu::forEach("ink::causticNormalise", static_cast<std::int64_t>(resolution) * resolution,
                      [=] ORB_HD(std::int64_t cell) {
                        causticMap[cell] =
                            normaliseCausticCell(photonMap, cell, resolution, halfSize, cosIncidence, blur);
                      });
}

gpu::Status fillFloats(float* data, std::int64_t count, float value) {
  return gpu::forEach("ink::fillFloats", count, [=] ORB_HD(std::int64_t i) { data[i] = value; });
}

gpu::Status fillInts(std::int32_t* data, std::int64_t count, std::int32_t value) {
  return gpu::forEach("ink::fillInts", count, [=] ORB_HD(std::int64_t i) { data[i] = value; });
}

}  // namespace ink
