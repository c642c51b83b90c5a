#pragma once
// splatImage on the cpu backend: a run of up to eight particles shaded as
// one pack (shadeSplat), then deposited lane by lane in slot order, so each
// particle adds what splatParticle adds (up to the pack exponential's
// rounding) in the same sequence. Bilinear footprints wholly on the image
// take a packed path: the weights and the products eight lanes at a time,
// then a transposition so that each lane's two pixels of a row (twelve
// consecutive floats) leave as three vector adds of the same sums.
#if !defined(__CUDACC__)
#include <cstdint>

#include "gpu/Accumulate.h"
#include "ink/render/Splat.h"
#include "util/Lanes.h"

namespace ink {

// Four packs as eight runs of four: out[l] = {in[0][l], in[1][l], in[2][l], in[3][l]}.
ORB_ALWAYS_INLINE void transposeFour(const util::lanes::raw::Floats (&in)[4], float (&out)[util::lanes::kLanes][4]) {
  using util::lanes::raw::Floats;
  using M = util::lanes::raw::Ints;
  static_assert(util::lanes::kLanes == 8);
  const Floats ab0 = __builtin_shuffle(in[0], in[1], M{0, 8, 1, 9, 4, 12, 5, 13});
  const Floats ab1 = __builtin_shuffle(in[0], in[1], M{2, 10, 3, 11, 6, 14, 7, 15});
  const Floats cd0 = __builtin_shuffle(in[2], in[3], M{0, 8, 1, 9, 4, 12, 5, 13});
  const Floats cd1 = __builtin_shuffle(in[2], in[3], M{2, 10, 3, 11, 6, 14, 7, 15});
  const Floats lanes[4] = {__builtin_shuffle(ab0, cd0, M{0, 1, 8, 9, 4, 5, 12, 13}),     // lanes 0 and 4
                           __builtin_shuffle(ab0, cd0, M{2, 3, 10, 11, 6, 7, 14, 15}),   // 1 and 5
                           __builtin_shuffle(ab1, cd1, M{0, 1, 8, 9, 4, 5, 12, 13}),     // 2 and 6
                           __builtin_shuffle(ab1, cd1, M{2, 3, 10, 11, 6, 7, 14, 15})};  // 3 and 7
  for (int k = 0; k < 4; ++k) {
    __builtin_memcpy(out[k], &lanes[k], 16);
    __builtin_memcpy(out[k + 4], reinterpret_cast<const float*>(&lanes[k]) + 4, 16);
  }
}

// The bilinear deposits of the lanes in `lanes` (a bit per lane) whose four
// pixels are all on the image, with depositBilinear's weights and products;
// returns the lanes left to the one-particle deposit.
ORB_ALWAYS_INLINE std::uint32_t depositBilinearPack(const SplatArgs& a, const SplatShadeOf<util::lanes::Floats>& shade,
                                                     std::uint32_t lanes, const gpu::Accumulator& out) {
  using namespace util::lanes;
  const Floats bx = floor(shade.s.x), by = floor(shade.s.y);
  const Floats fx = shade.s.x - bx, fy = shade.s.y - by;
  const Ints x0 = clampToInt(bx, -2, a.width), y0 = clampToInt(by, -2, a.height);
  const Mask inside = (x0 >= Ints(0)) & (y0 >= Ints(0)) & (x0 + 1 < Ints(a.width)) & (y0 + 1 < Ints(a.height));
  const float b = a.pointBrightness;
  const Floats w[4] = {(1.f - fx) * (1.f - fy) * b, fx * (1.f - fy) * b, (1.f - fx) * fy * b, fx * fy * b};
  // Per row, its left and right pixels' six floats each, in groups of four.
  float runs[2][3][kLanes][4];
  for (int row = 0; row < 2; ++row) {
    raw::Floats p[2 * kAccumulatorFloats];
    for (int c = 0; c < kAccumulatorFloats; ++c) {
      p[c] = (shade.image[c] * w[2 * row]).v;
      p[kAccumulatorFloats + c] = (shade.image[c] * w[2 * row + 1]).v;
    }
    for (int g = 0; g < 3; ++g) transposeFour({p[4 * g], p[4 * g + 1], p[4 * g + 2], p[4 * g + 3]}, runs[row][g]);
  }
  std::uint32_t rest = 0;
  for (int l = 0; l < kLanes; ++l) {
    if (!(lanes >> l & 1u)) continue;
    if (!holds(inside, l)) {
      rest |= 1u << l;
      continue;
    }
    const std::int64_t top = static_cast<std::int64_t>(y0[l]) * a.width + x0[l];
    for (int row = 0; row < 2; ++row)
      for (int g = 0; g < 3; ++g)
        out.addRun(kImageTarget, (top + row * a.width) * kAccumulatorFloats + 4 * g, runs[row][g][l]);
  }
  return rest;
}

// splatImage for a run of particles: see the top of this file.
ORB_ALWAYS_INLINE void splatParticles(const SplatArgs& a, const SplatInputs& in, const SplatRun& run,
                                      const gpu::Accumulator& out) {
  using util::lanes::kLanes;
  const SplatShadeOf<util::lanes::Floats> shade = shadeSplat(a, in, run);
  if (!util::lanes::any(shade.drawn)) return;
  // The lanes to deposit: drawn, and not hidden by the matte or the scene.
  std::uint32_t lanes = 0;
  for (int l = 0; l < run.slots.count; ++l)
    if (holds(shade.drawn, l) &&
        !hiddenByDepth(a, {lane(shade.s.x, l), lane(shade.s.y, l), lane(shade.s.z, l)}))
      lanes |= 1u << l;
  if (a.passes) {
    for (int l = 0; l < kLanes; ++l)
      if (lanes >> l & 1u) depositSplat(a, in, slotOf(run, l), itemOf(run, l), lane(shade, l), out);
    return;
  }
  // A local copy of the accumulator, whose fields then stay in registers.
  const gpu::Accumulator own = out;
  if (a.pointSizeJitter <= 0.f && a.pointSize * 0.5f <= 0.75f) lanes = depositBilinearPack(a, shade, lanes, own);
  if (!lanes) return;
  // The rest one particle at a time (discs, footprints over the image's edge):
  // the deposit reads only the image values and the screen point, stored as
  // whole registers and read back lane by lane, cheaper than taking each
  // lane out of its register.
  alignas(64) float values[kAccumulatorFloats + 2][kLanes];
  for (int c = 0; c < kAccumulatorFloats; ++c) __builtin_memcpy(values[c], &shade.image[c].v, sizeof values[c]);
  __builtin_memcpy(values[kAccumulatorFloats], &shade.s.x.v, sizeof values[0]);
  __builtin_memcpy(values[kAccumulatorFloats + 1], &shade.s.y.v, sizeof values[0]);
  for (int l = 0; l < kLanes; ++l) {
    if (!(lanes >> l & 1u)) continue;
    SplatValues v;
    for (int c = 0; c < kAccumulatorFloats; ++c) v.image[c] = values[c][l];
    v.withPasses = false;
    depositFootprint(a, itemOf(run, l), {values[kAccumulatorFloats][l], values[kAccumulatorFloats + 1][l], 0.f}, v,
                     own);
  }
}

}  // namespace ink
#endif
