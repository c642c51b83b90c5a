// The antialias wrapper: renders at f × f samples per pixel and averages
// blocks of samples down to the output size.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "ink/render/RenderHost.h"
#include "ink/render/RenderPasses.h"

namespace ink {
namespace {

constexpr const char* kNoHostMemory = "not enough system memory for the image";

// Each source pixel becomes an f × f block.
bool enlargeBackground(const float* background, int width, int height, int f, std::vector<float>& out) {
  try {
    out.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u * static_cast<std::size_t>(f * f));
  } catch (const std::exception&) {
    return false;
  }
  const std::int64_t bigWidth = static_cast<std::int64_t>(width) * f;
  for (std::int64_t y = 0; y < static_cast<std::int64_t>(height) * f; ++y)
    for (std::int64_t x = 0; x < bigWidth; ++x) {
      const float* from = background + 4 * ((y / f) * width + x / f);
      std::copy_n(from, 4, out.data() + 4 * (y * bigWidth + x));
    }
  return true;
}

// The plain mean of every f × f block of `floats`-channel records.
bool averageBlocks(const std::vector<float>& samples, int width, int height, int f, int floats,
                   std::vector<float>& out) {
  try {
    out.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * static_cast<std::size_t>(floats),
               0.f);
  } catch (const std::exception&) {
    return false;
  }
  const float w = 1.f / static_cast<float>(f * f);
  const std::int64_t bigWidth = static_cast<std::int64_t>(width) * f;
  for (std::int64_t y = 0; y < height; ++y)
    for (std::int64_t x = 0; x < width; ++x) {
      float* record = out.data() + floats * (y * width + x);
      for (std::int64_t sy = y * f; sy < (y + 1) * f; ++sy)
        for (std::int64_t sx = x * f; sx < (x + 1) * f; ++sx) {
          const float* sample = samples.data() + floats * (sy * bigWidth + sx);
          for (int c = 0; c < floats; ++c) record[c] += sample[c] * w;
        }
    }
  return true;
}

// Motion back to output pixels; the averaged normal back to unit length.
void finishPassBlocks(std::vector<float>& passes, int f) {
  for (std::size_t p = 0; p + kPassRecordFloats <= passes.size(); p += kPassRecordFloats) {
    float* record = passes.data() + p;
    record[kPassMotionU] /= static_cast<float>(f);
    record[kPassMotionV] /= static_cast<float>(f);
    float* n = record + kPassNormalX;
    const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len > 1e-6f)
      for (int c = 0; c < 3; ++c) n[c] /= len;
  }
}

}  // namespace

bool RenderHost::render(const RenderSettings& settings, const RenderObjectState& object,
                        const std::vector<ChunkSource>& sources, const std::vector<float>& weights,
                        std::vector<float>& image, std::vector<float>* passes, std::string& status) {
  RenderSettings s = settings;
  std::vector<std::int32_t> groups;
  std::vector<std::uint64_t> idBases;
  if (s.sourceCount <= 0) {
    // The object's current sources: each entry is an id base whose upper 24 bits are the group.
    try {
      for (const std::uint64_t entry : object.sourceEntries) {
        groups.push_back(static_cast<std::int32_t>(entry >> 40));
        idBases.push_back(entry);
      }
    } catch (const std::exception&) {
      status = kNoHostMemory;
      return false;
    }
    s.sourceCount = static_cast<std::int32_t>(groups.size());
    s.sourceGroups = groups.data();
    s.sourceIdBases = idBases.data();
    s.assemble = object.assemble;
  }
  if (!passes) s.passes = 0;

  struct PassTarget {  // set for this call only
    RenderHost& host;
    PassTarget(RenderHost& h, std::vector<float>* target) : host(h) { host.passTarget_ = target; }
    ~PassTarget() { host.passTarget_ = nullptr; }
  };
  if (object.antialias <= 1) {
    const PassTarget target(*this, s.passes ? passes : nullptr);
    return renderFrameCore(s, sources, weights, image, status);
  }

  const int f = std::min(object.antialias, kMaxAntialias);
  const std::int64_t bigWidth = static_cast<std::int64_t>(s.width) * f, bigHeight = static_cast<std::int64_t>(s.height) * f;
  if (bigWidth > std::numeric_limits<std::int32_t>::max() || bigHeight > std::numeric_limits<std::int32_t>::max()) {
    status = "GPU out of memory (image)";
    return false;
  }
  std::vector<float> background, samples, samplePasses;
  if (s.background && s.width > 0 && s.height > 0) {
    if (!enlargeBackground(s.background, s.width, s.height, f, background)) {
      status = kNoHostMemory;
      return false;
    }
    s.background = background.data();
  }
  const int width = s.width, height = s.height;
  s.width = static_cast<std::int32_t>(bigWidth);
  s.height = static_cast<std::int32_t>(bigHeight);
  s.pointSize *= static_cast<float>(f);
  {
    const PassTarget target(*this, s.passes ? &samplePasses : nullptr);
    if (!renderFrameCore(s, sources, weights, samples, status)) return false;
  }
  if (!averageBlocks(samples, width, height, f, 4, image)) {
    status = kNoHostMemory;
    return false;
  }
  if (s.passes) {
    if (!averageBlocks(samplePasses, width, height, f, kPassRecordFloats, *passes)) {
      status = kNoHostMemory;
      return false;
    }
    finishPassBlocks(*passes, f);
  }
  return true;
}

}  // namespace ink
