// Triangle rasterisation: perspective-correct depth against a hand-computed
// plane, nearest-wins and lowest-index ties, matte slots, near-plane drops
// and vertices that project far off the image.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "RenderFixtures.h"
#include "ink/render/Raster.h"

namespace {

constexpr int W = 64, H = 48;

ink::RasterView view() {
  const ink::Camera c = rendertest::cameraAlongY({0, 0, 0}, 1.2f);
  return {c, c.tanHalfFov * H / W, W, H};
}

// The view depth at which the ray through pixel (x, y) meets the plane
// y = y0 + slope × x, worked out by hand: the ray is t × (a, 1, b).
float planeDepth(int x, float y0, float slope) {
  const ink::RasterView v = view();
  const float a = v.camera.tanHalfFov * (2.f * (static_cast<float>(x) + 0.5f) / W - 1.f);
  return y0 / (1.f - slope * a);
}

TEST(Raster, DepthIsPerspectiveCorrectOnATiltedPlane) {
  // A large triangle in the plane y = 20 + 0.5 x, covering the image's centre.
  const float slope = 0.5f;
  auto onPlane = [&](float x, float z) { return orb::Vec{x, 20.f + slope * x, z}; };
  const ink::SceneTriangle t{onPlane(-8, -8), onPlane(8, -8), onPlane(0, 9), {1, 1, 1}, 0};
  std::vector<float> depth(W * H, ink::kEmptyDepth);
  std::vector<std::int32_t> index(W * H, ink::kNoTriangle);
  ink::rasterScene(view(), t, 0, depth.data(), index.data(), ink::kSceneDepth);
  int covered = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      if (depth[y * W + x] == ink::kEmptyDepth) continue;
      ++covered;
      EXPECT_NEAR(depth[y * W + x], planeDepth(x, 20.f, slope), 2e-4f * planeDepth(x, 20.f, slope)) << x << "," << y;
    }
  EXPECT_GT(covered, 100);
}

TEST(Raster, TheNearestTriangleWinsAndTiesGoToTheLowerIndex) {
  auto square = [](float y) {
    return std::vector<ink::SceneTriangle>{{{-50, y, -50}, {50, y, -50}, {0, y, 50}, {1, 1, 1}, 0}};
  };
  std::vector<ink::SceneTriangle> tris;
  for (float y : {30.f, 10.f, 10.f, 20.f}) tris.push_back(square(y)[0]);
  std::vector<float> depth(W * H, ink::kEmptyDepth);
  std::vector<std::int32_t> index(W * H, ink::kNoTriangle);
  for (const std::int32_t mode : {ink::kSceneDepth, ink::kSceneIndex})
    for (std::int32_t t = 0; t < 4; ++t) ink::rasterScene(view(), tris[t], t, depth.data(), index.data(), mode);
  const int centre = (H / 2) * W + W / 2;
  EXPECT_NEAR(depth[centre], 10.f, 1e-4f);
  EXPECT_EQ(index[centre], 1);
}

TEST(Raster, MattesFillBothSlotsAndOccludersOnlyTheFirst) {
  const ink::MatteTriangle occluder{{-50, 10, -50}, {50, 10, -50}, {0, 10, 50}, 0.f};
  const ink::MatteTriangle matte{{-50, 30, -50}, {50, 30, -50}, {0, 30, 50}, 1.f};
  std::vector<float> pairs(2 * W * H, ink::kEmptyDepth);
  ink::rasterMatte(view(), occluder, pairs.data());
  ink::rasterMatte(view(), matte, pairs.data());
  const int centre = (H / 2) * W + W / 2;
  EXPECT_NEAR(pairs[2 * centre], 10.f, 1e-4f);
  EXPECT_NEAR(pairs[2 * centre + 1], 30.f, 1e-4f);
}

TEST(Raster, TrianglesThroughTheNearPlaneOrWithoutAreaDrawNothingAndHugeOnesStayInBounds) {
  std::vector<float> pairs(2 * W * H, ink::kEmptyDepth);
  // One vertex at depth 0.0005, behind the near plane: dropped whole.
  ink::rasterMatte(view(), {{-5, 0.0005f, -5}, {5, 10, -5}, {0, 10, 5}, 0.f}, pairs.data());
  // Degenerate: all three on a line.
  ink::rasterMatte(view(), {{-5, 10, 0}, {0, 10, 0}, {5, 10, 0}, 0.f}, pairs.data());
  for (float d : pairs) ASSERT_EQ(d, ink::kEmptyDepth);
  // A vertex at depth 0.001 projects about 1e5 pixels away: the box is clamped, pixels stay valid.
  ink::rasterMatte(view(), {{-50, 0.001f, -50}, {50, 10, -50}, {0, 10, 50}, 0.f}, pairs.data());
  int covered = 0;
  for (int p = 0; p < W * H; ++p) covered += pairs[2 * p] < ink::kEmptyDepth;
  EXPECT_GT(covered, 0);
}

TEST(Raster, DepthBitPatternsOrderLikeTheDepths) {
  float slot = ink::kEmptyDepth;
  for (float d : {5.f, 0.002f, 7.f, 1e30f}) ink::keepNearest(&slot, d);
  EXPECT_EQ(slot, 0.002f);
  EXPECT_EQ(ink::bitsFloat(ink::floatBits(3.25f)), 3.25f);
  EXPECT_EQ(ink::clampToInt(1e9f, 0, 63), 63);
  EXPECT_EQ(ink::clampToInt(NAN, 0, 63), 0);
  EXPECT_EQ(ink::clampToInt(-1e30f, -1, 63), -1);
}

}  // namespace
