#include "ink/drivers/PrtRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "formats/prt/Half.h"
#include "gpu/HostParallel.h"
#include "ink/render/ColourMapArgs.h"
#include "ink/render/RenderHashes.h"
#include "ink/render/SplatColour.h"
#include "ink/sim/InkHash.h"
#include "ink/sim/InkSeeding.h"

namespace ink {

namespace {
using prt::DataType;

// (0, 0, 1) as float16: the normal where no grid says otherwise.
constexpr std::uint16_t kUp[3] = {0, 0, 0x3C00};

Point3 toPoint(orb::Vec v) { return {v.x, v.y, v.z}; }

template <class T>
void put(std::uint8_t* record, int offset, const T& value) {
  std::memcpy(record + offset, &value, sizeof value);
}

void putFloats(std::uint8_t* record, int offset, Point3 v) {
  const float xyz[3] = {v.x, v.y, v.z};
  std::memcpy(record + offset, xyz, sizeof xyz);
}

void putHalves(std::uint8_t* record, int offset, orb::Vec v) {
  const std::uint16_t h[3] = {prt::floatToHalf(v.x), prt::floatToHalf(v.y), prt::floatToHalf(v.z)};
  std::memcpy(record + offset, h, sizeof h);
}

Point3 unitOr(Point3 v, Point3 fallback) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return len > 1e-12f ? Point3(v.x / len, v.y / len, v.z / len) : fallback;
}
}  // namespace

bool buildNormalField(const std::vector<float>& density, int n, float halfExtent, const Matrix3& output,
                      NormalField& field, std::string& status) {
  const std::int64_t cells = static_cast<std::int64_t>(n) * n * n;
  try {
    field.halves.resize(static_cast<std::size_t>(3 * cells));
  } catch (const std::bad_alloc&) {
    field = {};
    status = "not enough system memory for the normal grid";
    return false;
  }
  field.n = n;
  field.halfExtent = halfExtent;
  auto at = [&](int x, int y, int z) {
    x = std::clamp(x, 0, n - 1);
    y = std::clamp(y, 0, n - 1);
    z = std::clamp(z, 0, n - 1);
    return density[static_cast<std::size_t>((static_cast<std::int64_t>(z) * n + y) * n + x)];
  };
  gpu::hostParallelFor(static_cast<std::int64_t>(n) * n, [&](std::int64_t first, std::int64_t last) {
    for (std::int64_t row = first; row < last; ++row) {  // one row of cells along x
      const int k = static_cast<int>(row / n), j = static_cast<int>(row % n);
      std::uint16_t* out = field.halves.data() + 3 * row * n;
      for (int i = 0; i < n; ++i, out += 3) {
        const Point3 gradient(at(i + 1, j, k) - at(i - 1, j, k), at(i, j + 1, k) - at(i, j - 1, k),
                              at(i, j, k + 1) - at(i, j, k - 1));
        const Point3 local = unitOr(Point3(-gradient.x, -gradient.y, -gradient.z), Point3(0, 0, 1));
        const Point3 v = unitOr(VectorTransform(output, local), Point3(0, 0, 1));
        out[0] = prt::floatToHalf(v.x);
        out[1] = prt::floatToHalf(v.y);
        out[2] = prt::floatToHalf(v.z);
      }
    }
  });
  return true;
}

std::vector<prt::Channel> prtExportChannels(const PrtChannelSwitches& on) {
  std::vector<prt::Channel> channels{{"Position", DataType::Float32, 3}, {"Density", DataType::Float16, 1}};
  if (on.velocity) channels.push_back({"Velocity", DataType::Float32, 3});
  if (on.color) channels.push_back({"Color", DataType::Float16, 3});
  if (on.emission) channels.push_back({"Emission", DataType::Float16, 3});
  if (on.normal) channels.push_back({"Normal", DataType::Float16, 3});
  if (on.id) channels.push_back({"ID", DataType::Int32, 1});
  if (on.age) channels.push_back({"Age", DataType::Float32, 1});
  if (on.source) {
    channels.push_back({"Source", DataType::UInt8, 1});
    channels.push_back({"Group", DataType::UInt8, 1});
  }
  if (on.rest) channels.push_back({"Rest", DataType::Float32, 3});
  return channels;
}

PrtRecordBuilder::PrtRecordBuilder(const PrtFrame& frame, const std::vector<prt::Channel>& channels, int recordSize)
    : frame_(frame), recordSize_(recordSize) {
  const std::pair<const char*, int*> slots[] = {
      {"Position", &position_}, {"Density", &density_}, {"Velocity", &velocity_}, {"Color", &colour_},
      {"Emission", &emission_}, {"Normal", &normal_},   {"ID", &id_},             {"Age", &age_},
      {"Source", &source_},     {"Group", &group_},     {"Rest", &rest_}};
  for (const prt::Channel& c : channels)
    for (const auto& [name, offset] : slots)
      if (c.name == name) *offset = c.offset;

  const RenderSettings& s = *frame.settings;
  const float k = frame.colourScale;
  baseColour_ = {std::exp(-s.absorbR), std::exp(-s.absorbG), std::exp(-s.absorbB)};
  emissionColour_ = orb::Vec{s.emitR, s.emitG, s.emitB} * (s.emitAmount * k);
  const bool mapped = s.colorMap && s.colorMapWidth > 0 && s.colorMapHeight > 0;
  setColourMapArgs(s, mapped ? s.colorMap : nullptr, map_);
}

// The medium's colour, or the map's sample mixed in by the colour strength.
orb::Vec PrtRecordBuilder::colour(const HostChunk& c, std::int64_t i) const {
  orb::Vec result = baseColour_;
  const MapCoordinates uv = mapCoordinates(map_, c.positions[i], c.rest, c.restIsUV ? 1 : 0, i);
  if (uv.valid) {
    const float k = frame_.settings->colorStrength;
    const orb::Vec sample = sampleColourMap(map_.colorMap, map_.mapWidth, map_.mapHeight, uv.u, uv.v);
    result = sample * k + baseColour_ * (1.f - k);
  }
  return result * frame_.colourScale;
}

// The particle's cell, indices clamped to the grid.
const std::uint16_t* PrtRecordBuilder::normal(orb::Vec p) const {
  const NormalField& g = *frame_.normals;
  const float cell = 2.f * g.halfExtent / static_cast<float>(g.n);
  auto index = [&](float x) { return clampToInt(std::floor((x + g.halfExtent) / cell), 0, g.n - 1); };
  const std::int64_t n = g.n;
  return g.halves.data() + 3 * ((index(p.z) * n + index(p.y)) * n + index(p.x));
}

// Seconds since birth: ink from its cycle start, swirl from the swirl start,
// every other group the frame's time.
float PrtRecordBuilder::age(int group, std::int64_t index) const {
  if (group == kInkGroup) return cycleTime(frame_.settings->inkParams, indexHash(index), frame_.seconds).local;
  if (group == kSwirlGroup) return std::max(frame_.seconds - frame_.swirlStart, 0.f);
  return frame_.seconds;
}

std::uint8_t PrtRecordBuilder::assembleSource(std::uint64_t id) const {
  const AssembleParams& a = frame_.settings->assemble;
  if (!a.on || a.shapeCount <= 0) return 0;
  if (a.shapeCount == 1) return 1;
  return sourceHash(id, a.seedMix) < 0.5f ? 2 : 1;
}

void PrtRecordBuilder::fill(const HostChunk& c, std::uint8_t* out) const {
  const EvaluatedSources& sources = *frame_.sources;
  const int group = sources.group(c.source);
  const auto idBase = static_cast<std::uint64_t>(sources.idBases[c.source]);
  const float oneFrame = 1.f / frame_.fps;
  std::memset(out, 0, static_cast<std::size_t>(c.count) * static_cast<std::size_t>(recordSize_));
  // Particles arrive in no spatial order, so their normal cells are random
  // reads of a grid far larger than the caches: ask for them ahead.
  constexpr std::int64_t kAhead = 16;
  const bool normals = normal_ >= 0 && frame_.normals;
  if (normals)
    for (std::int64_t i = 0; i < std::min(kAhead, c.count); ++i) __builtin_prefetch(normal(c.positions[i]));
  for (std::int64_t i = 0; i < c.count; ++i) {
    if (normals && i + kAhead < c.count) __builtin_prefetch(normal(c.positions[i + kAhead]));
    std::uint8_t* record = out + i * recordSize_;
    const orb::Vec p = c.positions[i];
    const std::int64_t index = c.first + i;  // within the source
    const std::int64_t running = c.offset + i;
    if (position_ >= 0) putFloats(record, position_, toPoint(p) * frame_.output);
    if (density_ >= 0) put(record, density_, prt::floatToHalf(c.weights ? c.weights[i] : 1.f));
    const float born = age(group, index);
    if (velocity_ >= 0 && frame_.previous && (group != kInkGroup || born >= oneFrame)) {
      const Point3 v = VectorTransform(frame_.output, toPoint((p - frame_.previous[running]) * frame_.fps));
      putFloats(record, velocity_, v * frame_.velocityScale);
    }
    if (colour_ >= 0) putHalves(record, colour_, colour(c, i));
    if (emission_ >= 0) putHalves(record, emission_, emissionColour_);
    if (normal_ >= 0) std::memcpy(record + normal_, frame_.normals ? normal(p) : kUp, sizeof kUp);
    if (id_ >= 0) put(record, id_, static_cast<std::int32_t>(running & 0x7FFFFFFF));
    if (age_ >= 0) put(record, age_, born);
    if (source_ >= 0) put(record, source_, assembleSource(idBase + static_cast<std::uint64_t>(index)));
    if (group_ >= 0) put(record, group_, static_cast<std::uint8_t>(group));
    if (rest_ >= 0) putFloats(record, rest_, toPoint(c.rest ? c.rest[i] : p));
  }
}

}  // namespace ink
