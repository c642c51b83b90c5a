#include "ink/material/InkLook.h"

#include <cmath>

namespace inklook {

Color baseColor(const Color& absorb, const Color& scatter, float scatterAmount) {
  auto channel = [scatterAmount](float a, float s) { return std::exp(-0.9f * a) * (1.f - scatterAmount) + s * scatterAmount; };
  return {channel(absorb.r, scatter.r), channel(absorb.g, scatter.g), channel(absorb.b, scatter.b)};
}

}  // namespace inklook
