#include "ink/render/RenderHost.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>

#include "gpu/FirstError.h"
#include "ink/render/ColourMapArgs.h"
#include "ink/render/Raster.h"
#include "ink/render/RenderFinish.h"
#include "ink/render/RenderKernels.h"
#include "ink/render/RenderLights.h"
#include "ink/render/RenderPasses.h"
#include "ink/render/RenderUpload.h"
#include "ink/render/Splat.h"
#include "ink/sim/GpuContext.h"

namespace ink {

struct RenderHost::Frame {
  std::int64_t pixels = 0;
  float tanHalfFovY = 0.f;
  LightSet lights{};
  GridInfo grid{};
  std::int64_t cells = 0;
  orb::Vec ambient{};
  bool hdri = false, colourMap = false, background = false, mattes = false, scene = false, passes = false;
  CausticFrame caustics;
};

CausticMaps& causticMaps() {
  static CausticMaps maps;
  return maps;
}

namespace {

SplatArgs splatArgs(const RenderSettings& s, const LightSet& lights, orb::Vec ambient, float tanHalfFovY,
                    const float* colourMap, float* passes, const float* mattes, const float* sceneDepth) {
  SplatArgs a{};
  a.camera = s.camera;
  a.width = s.width;
  a.height = s.height;
  a.tanHalfFovY = tanHalfFovY;
  a.absorb = {s.absorbR, s.absorbG, s.absorbB};
  a.scatter = {s.scatterR, s.scatterG, s.scatterB};
  a.scatterAmount = s.scatterAmount;
  a.shadow = s.shadow;
  a.ambient = ambient;
  a.emission = {s.emitR, s.emitG, s.emitB};
  a.emitAmount = s.emitAmount;
  a.lights = lights;
  setColourMapArgs(s, colourMap, a);
  a.colorStrength = s.colorBy > 0 && s.colorStrength <= 0.f ? 1.f : s.colorStrength;
  a.pointSize = s.pointSize;
  a.pointSoftness = s.pointSoftness;
  a.pointSizeJitter = s.pointSizeJitter;
  a.pointBrightness = s.pointBrightness;
  a.passes = passes;
  a.assemble = s.assemble;
  a.frameRate = s.frameRate;
  a.falloffOn = s.falloffOn;
  a.falloffFace = s.falloffFace;
  a.falloffEdge = s.falloffEdge;
  a.falloffPower = s.falloffPower;
  a.falloffColor = s.falloffColor;
  a.falloffEdgeColour = {s.falloffEdgeR, s.falloffEdgeG, s.falloffEdgeB};
  a.plumeTint = s.plumeTint;
  a.plumeColour = {s.plumeColR, s.plumeColG, s.plumeColB};
  a.colorBy = s.colorBy;
  a.colorByMin = s.colorByMin;
  a.colorByMax = s.colorByMax;
  a.rampStart = {s.rampAR, s.rampAG, s.rampAB};
  a.rampEnd = {s.rampBR, s.rampBG, s.rampBB};
  a.inkParams = s.inkParams;
  a.time = s.time;
  a.matteDepth = mattes;
  a.sceneDepth = sceneDepth;
  return a;
}

}  // namespace

bool RenderHost::prepareBuffers(const RenderSettings& s, Frame& f, std::string& status) {
  const std::int64_t n = gridResolution(s.gridRes);
  f.cells = n * n * n;
  if (gridCapacity_ < f.cells || lightSlots_ < f.lights.count) {
    const std::int64_t slots = std::max<std::int64_t>(f.lights.count, 1);
    if (!density_.reserve(f.cells) || !viewGrid_.reserve(f.cells) || !lightGrids_.reserve(slots * f.cells)) {
      gridCapacity_ = 0;  // the next frame allocates all three again
      lightSlots_ = 0;
      status = "GPU out of memory (grid)";
      return false;
    }
    gridCapacity_ = f.cells;
    lightSlots_ = slots;
  }
  // Sizes in 64 bits: the largest record is 24 floats per pixel.
  f.pixels = static_cast<std::int64_t>(s.width) * s.height;
  if (f.pixels > std::numeric_limits<std::int64_t>::max() / 24 || !image_.reserve(4 * f.pixels) ||
      !accumulator_.reserve(kAccumulatorFloats * f.pixels)) {
    status = "GPU out of memory (image)";
    return false;
  }
  return true;
}

bool RenderHost::uploadImages(const RenderSettings& s, Frame& f, std::string& status) {
  gpu::FirstError device;
  f.hdri = s.hdri && s.hdriWidth > 0 && s.hdriHeight > 0;
  if (f.hdri && !uploadFloats(hdri_, s.hdri, 3 * static_cast<std::int64_t>(s.hdriWidth) * s.hdriHeight, device,
                              "GPU out of memory (HDRI)", status))
    return false;
  f.colourMap = s.colorMap && s.colorMapWidth > 0 && s.colorMapHeight > 0 && s.mapMode > 0;
  if (f.colourMap && !uploadFloats(colourMap_, s.colorMap,
                                   3 * static_cast<std::int64_t>(s.colorMapWidth) * s.colorMapHeight, device,
                                   "GPU out of memory (colour map)", status))
    return false;
  f.background = s.background != nullptr;
  if (f.background &&
      !uploadFloats(background_, s.background, 4 * f.pixels, device, "GPU out of memory (background)", status))
    return false;
  return true;
}

bool RenderHost::rasterise(const RenderSettings& s, Frame& f, std::string& status) {
  gpu::FirstError device;
  f.mattes = s.matteTriangles && s.matteTriangleCount > 0;
  if (f.mattes) {
    if (!mattePairs_.reserve(2 * f.pixels) || !matteTriangles_.reserve(s.matteTriangleCount)) {
      status = "GPU out of memory (matte)";
      return false;
    }
    if (!device.check(fillFloats(mattePairs_.data(), 2 * f.pixels, kEmptyDepth)) ||
        !device.check(upload(matteTriangles_.data(), s.matteTriangles, s.matteTriangleCount)) ||
        !device.check(matteRaster(matteTriangles_.data(), s.matteTriangleCount, s.camera, f.tanHalfFovY, s.width,
                                  s.height, mattePairs_.data())))
      return report(device, status);
  }
  f.scene = s.sceneTriangles && s.sceneTriangleCount > 0;
  if (f.scene) {
    if (!sceneTriangles_.reserve(s.sceneTriangleCount) || !sceneDepth_.reserve(f.pixels) ||
        !sceneIndex_.reserve(f.pixels)) {
      status = "GPU out of memory (scene)";
      return false;
    }
    if (!device.check(fillFloats(sceneDepth_.data(), f.pixels, kEmptyDepth)) ||
        !device.check(fillInts(sceneIndex_.data(), f.pixels, kNoTriangle)) ||
        !device.check(upload(sceneTriangles_.data(), s.sceneTriangles, s.sceneTriangleCount)))
      return report(device, status);
    for (const std::int32_t mode : {kSceneDepth, kSceneIndex})
      if (!device.check(sceneRaster(sceneTriangles_.data(), s.sceneTriangleCount, s.camera, f.tanHalfFovY, s.width,
                                    s.height, sceneDepth_.data(), sceneIndex_.data(), mode)))
        return report(device, status);
  }
  return true;
}

bool RenderHost::buildGrids(const RenderSettings& s, const std::vector<ChunkSource>& sources,
                            const std::vector<float>& weights, Frame& f, std::string& status) {
  const float halfExtent = std::max(s.sceneExtent, s.radius);
  const std::int32_t n = gridResolution(s.gridRes);
  f.grid = {n, halfExtent, 2.f * halfExtent / static_cast<float>(n)};
  const GridInfo grid = f.grid;
  gpu::FirstError device;
  if (!device.check(gpu::memset(density_.data(), 0, sizeof(float) * static_cast<std::size_t>(f.cells))))
    return report(device, status);
  const float cellVolume = grid.cellSize * grid.cellSize * grid.cellSize;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const float scale = weights[i] / cellVolume;  // mass per unit volume
    if (!streamSource(sources[i], device, status, [&](const Chunk& c) {
          return device.check(splatGrid(c.positions, c.weights, c.count, grid, density_.data(), scale));
        }))
      return false;
  }
  for (int l = 0; l < f.lights.count; ++l)
    if (!device.check(depthGrid(grid, density_.data(), lightGrids_.data() + l * f.cells, f.lights.direction[l],
                                {0.f, 0.f, 0.f}, kTowardsDirection)))
      return report(device, status);
  if (!device.check(depthGrid(grid, density_.data(), viewGrid_.data(), {0.f, 0.f, 0.f}, s.camera.eye, kTowardsPoint)))
    return report(device, status);
  return true;
}

bool RenderHost::splatSources(const RenderSettings& s, const std::vector<ChunkSource>& sources,
                              const std::vector<float>& weights, Frame& f, std::string& status) {
  gpu::FirstError device;
  if (!device.check(gpu::memset(accumulator_.data(), 0, sizeof(float) * static_cast<std::size_t>(6 * f.pixels))))
    return report(device, status);
  f.passes = s.passes && passTarget_;
  if (f.passes) {
    if (!passAccumulator_.reserve(kPassAccumulatorFloats * f.pixels) ||
        !passOutput_.reserve(kPassRecordFloats * f.pixels)) {
      status = "GPU out of memory (render passes)";
      return false;
    }
    if (!device.check(gpu::memset(passAccumulator_.data(), 0,
                                  sizeof(float) * static_cast<std::size_t>(kPassAccumulatorFloats * f.pixels))))
      return report(device, status);
  }
  SplatArgs args = splatArgs(s, f.lights, f.ambient, f.tanHalfFovY, f.colourMap ? colourMap_.data() : nullptr,
                             f.passes ? passAccumulator_.data() : nullptr, f.mattes ? mattePairs_.data() : nullptr,
                             f.scene ? sceneDepth_.data() : nullptr);
  const bool wantPrevious = (f.passes || s.colorBy == 1) && s.previousPositions;
  std::int64_t offset = 0;  // particles streamed so far, across all sources
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const bool tagged = static_cast<std::int64_t>(i) < s.sourceCount;
    args.sourceWeight = weights[i];
    args.group = tagged && s.sourceGroups ? s.sourceGroups[i] : 0;
    const std::uint64_t idBase = tagged && s.sourceIdBases ? s.sourceIdBases[i] : 0;
    const bool ok = streamSource(sources[i], device, status, [&](const Chunk& c) {
      const orb::Vec* previous = nullptr;
      if (wantPrevious && offset + c.count <= s.previousCount && previous_.reserve(c.count) &&
          device.check(upload(previous_.data(), s.previousPositions + offset, c.count)))
        previous = previous_.data();
      offset += c.count;
      return device.check(splatImage(c.positions, c.weights, c.count, f.grid, lightGrids_.data(), viewGrid_.data(),
                                     args, accumulator_.data(), c.rest, c.kind == 1, previous,
                                     idBase + static_cast<std::uint64_t>(c.first), density_.data(), c.colours,
                                     c.emission));
    });
    if (!ok) return false;
  }
  return true;
}

bool RenderHost::traceCaustics(const RenderSettings& s, Frame& f, std::string& status) {
  gpu::FirstError device;
  return renderCaustics(s, f.lights, f.caustics, device) || report(device, status);
}

bool RenderHost::finish(const RenderSettings& s, Frame& f, std::vector<float>& image, std::string& status) {
  FinishBuffers b;
  b.tanHalfFovY = f.tanHalfFovY;
  b.lights = f.lights;
  b.grid = f.grid;
  b.density = density_.data();
  b.hdri = f.hdri ? hdri_.data() : nullptr;
  b.background = f.background ? background_.data() : nullptr;
  b.matteDepth = f.mattes ? mattePairs_.data() : nullptr;
  b.passAccumulator = f.passes ? passAccumulator_.data() : nullptr;
  b.passOutput = f.passes ? passOutput_.data() : nullptr;
  b.sceneTriangles = f.scene ? sceneTriangles_.data() : nullptr;
  b.sceneDepth = f.scene ? sceneDepth_.data() : nullptr;
  b.sceneIndex = f.scene ? sceneIndex_.data() : nullptr;
  b.caustics = f.caustics;
  const FinishArgs args = finishArgs(s, b);
  // Without room for the bubbles every pixel places them itself: slower, same picture.
  Bubble* bubbles = args.bubbleCount > 0 && bubbles_.reserve(args.bubbleCount) ? bubbles_.data() : nullptr;
  gpu::FirstError device;
  if (!device.check(finishImage(args, accumulator_.data(), image_.data(), bubbles)) || !device.synchronize())
    return report(device, status);
  constexpr const char* kNoHostMemory = "not enough system memory for the image";
  return downloadFloats(image, image_.data(), 4 * f.pixels, device, kNoHostMemory, status) &&
         (!f.passes ||
          downloadFloats(*passTarget_, passOutput_.data(), kPassRecordFloats * f.pixels, device, kNoHostMemory, status));
}

bool RenderHost::renderFrameCore(const RenderSettings& settings, const std::vector<ChunkSource>& sources,
                                 const std::vector<float>& weights, std::vector<float>& image, std::string& status) {
  std::lock_guard lock(gpuLock());
  const auto started = std::chrono::steady_clock::now();
  if (settings.width <= 0 || settings.height <= 0) {
    status = "invalid image size";
    return false;
  }
  if (weights.size() < sources.size()) {
    status = "one particle weight per source is needed";
    return false;
  }
  Frame f;
  f.lights = renderLights(settings);
  f.tanHalfFovY = static_cast<float>(settings.height) * settings.camera.tanHalfFov / static_cast<float>(settings.width);
  if (!prepareBuffers(settings, f, status) || !uploadImages(settings, f, status) ||
      !rasterise(settings, f, status))
    return false;
  f.ambient = renderAmbient(settings, f.hdri);
  if (!buildGrids(settings, sources, weights, f, status) || !splatSources(settings, sources, weights, f, status) ||
      !traceCaustics(settings, f, status) || !finish(settings, f, image, status))
    return false;
  lastRenderSeconds_ = static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                               std::chrono::steady_clock::now() - started)
                                               .count()) /
                       1e9;
  return true;
}

}  // namespace ink
