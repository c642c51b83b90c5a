#pragma once
// The cloth grid of the veils: cells along and across each band and the
// number of bands, as the solvers and the mesh build index particles.
#include <algorithm>
#include <cstdint>

#include "gpu/Config.h"
#include "orb/Params.h"

namespace orb {

struct ClothGrid {
  std::int32_t along;   // L: rows 0..L
  std::int32_t across;  // W: columns 0..W
  std::int32_t veils;   // K

  ORB_HD std::int32_t rowSize() const { return across + 1; }
  ORB_HD std::int32_t veilSize() const { return (along + 1) * (across + 1); }
  ORB_HD std::int32_t particles() const { return veils * veilSize(); }
  ORB_HD std::int32_t index(std::int32_t veil, std::int32_t row, std::int32_t column) const {
    return veil * veilSize() + row * rowSize() + column;
  }
};

// The grid the parameters ask for: along in [16, 256], across in [8, 128],
// one to four veils.
inline ClothGrid clothGridFor(const Params& p) {
  return {std::clamp(p.simLength, 16, 256), std::clamp(p.simWidth, 8, 128), std::clamp(p.veilCount, 1, 4)};
}

// The veil's phase offset, which decorrelates veils and seeds.
ORB_HD inline float veilPhase(std::int32_t seed, std::int32_t veil) {
  return static_cast<float>(seed % 10007) * 0.01371f + 2.173f * static_cast<float>(veil);
}

}  // namespace orb
