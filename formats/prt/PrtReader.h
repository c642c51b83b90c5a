// PRT reader: validates the header and channel table, then streams the
// particle data through the inflater and keeps every k-th record's position
// and, when the file has them, density, colour and emission.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace prt {

// The particles read from one file, all as 32-bit floats.
struct Particles {
  std::vector<float> positions;  // x, y, z per particle
  std::vector<float> densities;  // one per particle when hasDensity
  std::vector<float> colors;     // r, g, b per particle when hasColor
  std::vector<float> emissions;  // r, g, b per particle when hasEmission
  std::vector<std::string> channelNames;  // every channel of the file, in table order
  bool hasDensity = false;   // a "Density" channel exists
  bool hasColor = false;     // a "Color" channel with at least 3 components exists
  bool hasEmission = false;  // an "Emission" channel with at least 3 components exists
};

// Reads records 0, k, 2k, ... below the file's particle count (k = `stride`,
// values below 1 read as 1) into `out`, which is cleared first. Integer and
// float channels convert by value, uint8 as value / 255; int64 and the
// unsigned 16-, 32- and 64-bit types read as 0. On failure `out` keeps what
// was read so far and `message` holds one of: "cannot open " + path,
// path + " is not a PRT file", "bad PRT channel table", "truncated PRT
// header", "PRT has no Position channel", "not enough memory for N
// particles", "PRT ended after X of N particles", or the inflater's message.
bool Read(const std::string& path, std::int64_t stride, Particles& out, std::string& message);

}  // namespace prt
