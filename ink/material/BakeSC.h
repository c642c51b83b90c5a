#pragma once
// A shade context for sampling a texture map on a regular grid of cells,
// as the ink object bakes colour maps (256 x 256) and emission maps
// (32 x 32) for the GPU.
#include <vector>

#include "host/sdk/Material.h"

namespace inklook {

class BakeSC : public ShadeContext {
 public:
  explicit BakeSC(TimeValue t);
  Point3 UVW(int channel = 1) override;
  Point3 Normal() override { return {0.f, 0.f, 1.f}; }
  Box3 ObjectBox() override { return {{-1.f, -1.f, -1.f}, {1.f, 1.f, 1.f}}; }
  LightDesc* Light(int) override { return nullptr; }
  // The cell being sampled; its centre becomes the UVW.
  void SetCell(int row, int column, int width, int height);

  // Largest grid accepted, per side.
  static constexpr int kMaxSide = 8192;

  // Evaluates the map once per cell at UVW ((j + 0.5) / W, (i + 0.5) / H, 0)
  // for row i and column j and writes RGB triples row by row. False, with
  // `rgb` empty, for no map or a grid side outside 1..kMaxSide.
  static bool Bake(Texmap* map, TimeValue t, int width, int height, std::vector<float>& rgb);

 private:
  Point3 cellUVW_;
};

// The mean colour of baked RGB triples; black for none.
Color meanColor(const std::vector<float>& rgb);

}  // namespace inklook
