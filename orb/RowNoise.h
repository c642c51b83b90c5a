#pragma once
// fbm3 over a grid whose x input depends only on the row, y only on the
// column and z is constant, as the veil wrinkles are. Lattice values along y
// are shared by every column of a row, so a row costs a few hashes per
// lattice cell instead of eight per point. Results equal fbm3 bit for bit.
#include <climits>
#include <cstdint>
#include <vector>

#include "orb/Noise.h"

namespace orb {

class RowNoise {
 public:
  // The y input of every column and the constant z, before the first octave.
  void prepare(const std::vector<float>& columnY, float z, int octaves);
  // fbm3 at (x, columnY[j], z) for every column j.
  void row(float x, float* out);

 private:
  struct Cell {
    std::int32_t iy;
    float sy;
  };
  int octaves_ = 0;
  int columns_ = 0;
  std::vector<Cell> cells_;        // octave-major
  std::vector<float> z_;           // z input per octave
  std::vector<std::int32_t> yLo_;  // lowest lattice y per octave
  std::vector<std::int32_t> yHi_;  // highest lattice y + 1 per octave
  // Per octave, the lattice values along y at the four (x, z) corners of the
  // current cell; rows reuse them until their lattice x or z changes.
  struct Corners {
    std::int32_t ix = INT32_MIN, iz = INT32_MIN;
    std::vector<float> x0z0, x1z0, x0z1, x1z1;
  };
  std::vector<Corners> corners_;
};

}  // namespace orb
