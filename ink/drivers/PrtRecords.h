#pragma once
// The per-particle records of a PRT export: which channels a frame carries
// and what each particle's record holds.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/prt/PrtFormat.h"
#include "host/sdk/Matrix3.h"
#include "ink/drivers/HostStream.h"
#include "ink/render/RenderSettings.h"

namespace ink {

// The optional channels; Position and Density are always written.
struct PrtChannelSwitches {
  bool velocity = false, color = false, emission = false, normal = false;
  bool id = false, age = false, source = false, rest = false;
};

// The channel table in file order: Position, Density, Velocity, Color,
// Emission, Normal, ID, Age, Source and Group, Rest.
std::vector<prt::Channel> prtExportChannels(const PrtChannelSwitches& on);

// The normal of every cell of a density grid, as the records store it: the
// negated, normalised central-difference gradient ((0, 0, 1) where it
// vanishes), rotated into the file's space and normalised again, as three
// float16 values. A particle takes its cell's normal.
struct NormalField {
  int n = 0;  // cells per side, spanning ±halfExtent
  float halfExtent = 0;
  std::vector<std::uint16_t> halves;  // 3 per cell, cell (i, j, k) at (k × n + j) × n + i
};

// From `density` (n³ cells spanning ±halfExtent, same layout), on every host
// thread. False with "not enough system memory for the normal grid".
bool buildNormalField(const std::vector<float>& density, int n, float halfExtent, const Matrix3& output,
                      NormalField& field, std::string& status);

// Everything one frame's records are made from.
struct PrtFrame {
  const RenderSettings* settings = nullptr;  // medium colour, map, emission, assemble, ink record
  const EvaluatedSources* sources = nullptr;
  Matrix3 output;               // ink space to the file's space
  float seconds = 0, fps = 30;  // the frame's time
  float swirlStart = 0;         // seconds
  float velocityScale = 1, colourScale = 1;
  const NormalField* normals = nullptr;  // when the Normal channel is written
  // The previous frame's positions in streaming order when it had exactly as
  // many particles as this one, else null: velocities are then zero.
  const orb::Vec* previous = nullptr;
};

// Fills records for the channels `channels` (offsets as laid out by the
// writer) from one host chunk.
class PrtRecordBuilder {
 public:
  PrtRecordBuilder(const PrtFrame& frame, const std::vector<prt::Channel>& channels, int recordSize);
  // `out` receives chunk.count × recordSize bytes.
  void fill(const HostChunk& chunk, std::uint8_t* out) const;

 private:
  orb::Vec colour(const HostChunk& chunk, std::int64_t i) const;
  const std::uint16_t* normal(orb::Vec p) const;
  float age(int group, std::int64_t index) const;
  std::uint8_t assembleSource(std::uint64_t id) const;

  const PrtFrame& frame_;
  int recordSize_;
  // Byte offsets inside a record; -1 for channels not written.
  int position_ = -1, density_ = -1, velocity_ = -1, colour_ = -1, emission_ = -1, normal_ = -1;
  int id_ = -1, age_ = -1, source_ = -1, group_ = -1, rest_ = -1;
  orb::Vec baseColour_{}, emissionColour_{};
  SplatArgs map_{};  // the colour map's projection settings
};

}  // namespace ink
