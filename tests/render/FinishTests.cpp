// The finishing body pixel by pixel: a pixel through the hollow shell worked
// by hand, where the glass reads the ink and the background, the alpha and
// reflection modes, mattes and occluders, scene objects and catchers, the
// pass record, bubbles and the environment lookups.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FinishFixtures.h"
#include "ink/render/Bubbles.h"
#include "ink/render/Environment.h"
#include "ink/render/Finish.h"
#include "ink/render/RenderPasses.h"

namespace {

using rendertest::FinishFrame;

constexpr int kSide = 101, kCentre = 50;  // the centre pixel looks along the axis

TEST(FinishPixel, TheCentrePixelThroughAHollowShellMatchesTheValuesWorkedByHand) {
  FinishFrame f(kSide, kSide);
  f.fillInk({0.1f, 0.2f, 0.3f}, {0.3f, 0.6f, 0.9f});
  f.args.glass = 1;
  f.args.glassReflect = 1.f;
  f.args.glassRim = 0.5f;
  f.args.glassSpec = 0.3f;
  f.args.reflMode = ink::kReflectColour;
  f.args.reflection = {1.f, 0.5f, 0.25f};
  f.args.envIntensity = 2.f;
  f.args.fogDensity = 0.5f;
  f.args.fog = {0.2f, 0.3f, 0.4f};
  f.args.fogGlow = 1.f;
  f.args.lights.count = 1;
  f.args.lights.direction[0] = {0, -1, 0};  // behind the camera: the mirror direction at the centre
  f.args.lights.colour[0] = {2.f, 1.f, 0.5f};
  f.finish(kCentre, kCentre);

  // Normal incidence: F = r0 = (0.5 / 2.5)² = 0.04, no rim, no bending.
  // Composite: B e^−τ + C = (0.8 × 0.740818 + 0.1, 0.6 × 0.548812 + 0.2, 0.4 × 0.406570 + 0.3).
  const float composite[3] = {0.692654f, 0.529287f, 0.462628f};
  // Fog over the chord 2R: T = e^−(0.5 × 100 / 50) = 0.367879; K T + fog × 2 × (1 − T).
  const float fogged[3] = {0.507662f, 0.573986f, 0.675888f};
  // Reflection E F = (2, 1, 0.5) × 0.04; highlight colour × 0.3 / 2 × 1^400.
  const float expected[3] = {fogged[0] + 0.08f + 0.3f, fogged[1] + 0.04f + 0.15f, fogged[2] + 0.02f + 0.075f};
  const float* out = f.pixel(kCentre, kCentre);
  const float* record = f.record(kCentre, kCentre);
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(out[c], expected[c], 2e-5f) << c;
    EXPECT_NEAR(record[ink::kPassGlassR + c], expected[c] - composite[c], 2e-5f) << c;
  }
  EXPECT_EQ(out[3], 1.f);  // over an opaque background
  EXPECT_NEAR(record[ink::kPassInkA], 1.f - std::exp(-0.6f), 1e-6f);
  EXPECT_NEAR(record[ink::kPassDensity], 0.6f, 1e-6f);
  EXPECT_EQ(record[ink::kPassGlassMask], 1.f);
  EXPECT_EQ(record[ink::kPassMatte], 0.f);
}

TEST(FinishPixel, WithoutGlassTheInkIsReadAtThePixelAndNothingIsAdded) {
  FinishFrame f(kSide, kSide);
  f.fillCoordinates();
  f.args.glassReflect = 1.f;
  f.args.glassSpec = 1.f;
  f.args.fogDensity = 1.f;
  f.finish(kCentre + 7, kCentre - 3);
  const float* record = f.record(kCentre + 7, kCentre - 3);
  EXPECT_EQ(record[ink::kPassInkR], kCentre + 7.f);
  EXPECT_EQ(record[ink::kPassInkG], kCentre - 3.f);
  EXPECT_EQ(record[ink::kPassGlassMask], 0.f);
  EXPECT_EQ(record[ink::kPassGlassR], 0.f);
  const float* out = f.pixel(kCentre + 7, kCentre - 3);
  EXPECT_FLOAT_EQ(out[0], 0.8f + kCentre + 7.f);
  EXPECT_EQ(out[3], 1.f);

  f.args.transparent = 1;  // no ink extinction: alpha 0, colour the ink's alone
  f.finish(kCentre, kCentre);
  EXPECT_EQ(f.pixel(kCentre, kCentre)[3], 0.f);
  EXPECT_EQ(f.pixel(kCentre, kCentre)[0], static_cast<float>(kCentre));
}

TEST(FinishPixel, GlassOfIndexOneReadsTheInkWhereThePixelIs) {
  FinishFrame f(kSide, kSide);
  f.fillCoordinates();
  f.args.glass = 1;
  f.args.glassIOR = 1.f;
  for (int solid = 0; solid < 2; ++solid) {
    f.args.glassSolid = solid;
    for (const int x : {kCentre - 20, kCentre - 6, kCentre + 13, kCentre + 25})
      for (const int y : {kCentre - 11, kCentre + 4}) {
        f.finish(x, y);
        const float* record = f.record(x, y);
        ASSERT_EQ(record[ink::kPassGlassMask], 1.f) << x << "," << y;
        EXPECT_NEAR(record[ink::kPassInkR], static_cast<float>(x), 2e-3f) << x << "," << y;
        EXPECT_NEAR(record[ink::kPassInkG], static_cast<float>(y), 2e-3f) << x << "," << y;
      }
  }
}

TEST(FinishPixel, ASolidBallMagnifiesTheInkAndFlipsTheBackground) {
  FinishFrame f(kSide, kSide);
  f.fillCoordinates();
  std::vector<float> background(4u * kSide * kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      float* t = &background[4 * (static_cast<std::size_t>(y) * kSide + x)];
      t[0] = static_cast<float>(x), t[1] = static_cast<float>(y), t[2] = 0.f, t[3] = 1.f;
    }
  f.args.backgroundImage = background.data();
  f.args.glass = 1;
  f.args.glassSolid = 1;
  const int x = kCentre + 15, y = kCentre - 9;  // inside the glass, right of and above the centre
  f.finish(x, y);
  const float* record = f.record(x, y);
  ASSERT_EQ(record[ink::kPassGlassMask], 1.f);
  // The ink seen there lies nearer the centre: magnified, same side.
  EXPECT_GT(record[ink::kPassInkR], kCentre + 1.f);
  EXPECT_LT(record[ink::kPassInkR], static_cast<float>(x) - 2.f);
  EXPECT_LT(record[ink::kPassInkG], kCentre - 1.f);
  EXPECT_GT(record[ink::kPassInkG], static_cast<float>(y) + 1.f);
  // The background four radii behind shows through upside down (background R = its x).
  const float* out = f.pixel(x, y);  // colour = the texel's coordinates + the ink's
  EXPECT_LT(out[0] - record[ink::kPassInkR], static_cast<float>(kCentre));
  EXPECT_GT(out[1] - record[ink::kPassInkG], static_cast<float>(kCentre));

  // A thin hollow shell bends the ink only slightly and flips nothing.
  f.args.glassSolid = 0;
  f.finish(x, y);
  EXPECT_NEAR(f.record(x, y)[ink::kPassInkR], static_cast<float>(x), 1.5f);
  EXPECT_GT(f.pixel(x, y)[0] - f.record(x, y)[ink::kPassInkR], static_cast<float>(kCentre));
}

TEST(FinishPixel, OverATransparentBackgroundTheAlphaModeDecidesTheGlassAlone) {
  FinishFrame f(kSide, kSide);
  f.args.glass = 1;
  f.args.glassReflect = 1.f;
  f.args.transparent = 1;
  const int outside = 3;  // a corner pixel misses the glass
  f.args.alphaMode = 0;
  f.finish(kCentre, kCentre);
  f.finish(outside, outside);
  EXPECT_EQ(f.pixel(kCentre, kCentre)[3], 0.f);
  EXPECT_EQ(f.pixel(outside, outside)[3], 0.f);
  f.args.alphaMode = 1;  // the reflected share: F × glassReflect = 0.04 at the centre
  f.finish(kCentre, kCentre);
  EXPECT_NEAR(f.pixel(kCentre, kCentre)[3], 0.04f, 1e-6f);
  f.args.alphaMode = 2;  // an opaque sphere; outside it the ink's alpha
  f.finishAll();
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      ASSERT_EQ(f.pixel(x, y)[3], f.record(x, y)[ink::kPassGlassMask] == 1.f ? 1.f : 0.f) << x << "," << y;
}

TEST(FinishPixel, ReflectionModeNothingRemovesReflectionAndHighlights) {
  FinishFrame f(kSide, kSide);
  f.args.glass = 1;
  f.args.glassReflect = 1.f;
  f.args.glassSpec = 5.f;
  f.args.envIntensity = 1.f;
  f.args.lights.count = 1;
  f.args.lights.direction[0] = {0, -1, 0};
  f.args.lights.colour[0] = {1, 1, 1};
  f.args.reflMode = ink::kReflectNothing;
  f.finish(kCentre, kCentre);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(f.record(kCentre, kCentre)[ink::kPassGlassR + c], 0.f);
  f.args.reflMode = ink::kReflectStudio;  // the studio seen backwards (1 × F) plus the highlight (5)
  f.finish(kCentre, kCentre);
  EXPECT_NEAR(f.record(kCentre, kCentre)[ink::kPassGlassR], 0.04f * ink::studio({0, -1, 0}, 1.f).x + 5.f, 1e-4f);
}

TEST(FinishPixel, MattesAndOccludersInFrontOfTheGlass) {
  FinishFrame f(kSide, kSide);
  f.fillInk({0.1f, 0.1f, 0.1f}, {0.5f, 0.5f, 0.5f});
  std::vector<float> pairs(2u * kSide * kSide, ink::kEmptyDepth);
  f.args.matteDepth = pairs.data();
  f.args.glass = 1;
  f.args.glassReflect = 1.f;
  const std::int64_t p = f.index(kCentre, kCentre);
  auto blocker = [&](float nearest, float matte) {
    pairs[2 * p] = nearest;
    pairs[2 * p + 1] = matte;
    f.finish(kCentre, kCentre);
    return f.pixel(kCentre, kCentre);
  };
  f.args.matteGlass = 1;
  const float* out = blocker(20.f, ink::kEmptyDepth);  // an occluder in front: the background, alpha 0
  EXPECT_EQ(out[0], 0.8f);
  EXPECT_EQ(out[1], 0.6f);
  EXPECT_EQ(out[2], 0.4f);
  EXPECT_EQ(out[3], 0.f);
  EXPECT_EQ(f.record(kCentre, kCentre)[ink::kPassMatte], 0.f);
  out = blocker(20.f, 20.f);  // a matte in front: held out
  for (int c = 0; c < 4; ++c) EXPECT_EQ(out[c], 0.f);
  EXPECT_EQ(f.record(kCentre, kCentre)[ink::kPassMatte], 1.f);

  f.args.matteGlass = 0;  // mattes spare the glass in front of them …
  out = blocker(20.f, 20.f);
  EXPECT_GT(out[0], 0.1f);
  EXPECT_EQ(out[3], 1.f);
  out = blocker(400.f, 400.f);  // … but hold out what lies behind the glass
  EXPECT_EQ(out[3], 0.f);

  std::vector<float> background(4u * kSide * kSide, 0.25f);  // with a background image it shows, with its alpha
  f.args.backgroundImage = background.data();
  f.args.matteGlass = 1;
  out = blocker(20.f, 20.f);
  EXPECT_EQ(out[0], 0.25f);
  EXPECT_EQ(out[3], 0.25f);
}

// One big triangle facing the camera at y = 100, covering every pixel.
struct Wall {
  ink::SceneTriangle triangle{{-1000, 100, -1000}, {1000, 100, -1000}, {0, 100, 1000}, {0.5f, 0.25f, 1.f}, 0.f};
  std::vector<std::int32_t> index;
  explicit Wall(FinishFrame& f, float kind) : index(static_cast<std::size_t>(f.width) * f.height, 0) {
    triangle.kind = kind;
    f.args.sceneTriangles = &triangle;
    f.args.sceneIndex = index.data();
  }
};

TEST(FinishPixel, SceneObjectsAreLitAndOpaqueAndCatchersTakeTheInksShadow) {
  FinishFrame f(kSide, kSide);
  std::vector<float> density(32 * 32 * 32, 0.f);
  f.args.density = density.data();
  f.args.shadowScale = 1.f;
  f.args.transparent = 1;
  f.args.sceneAmbient = 0.25f;
  f.args.lights.count = 1;
  f.args.lights.direction[0] = {0, -1, 0};  // facing the wall head on
  f.args.lights.colour[0] = {2, 2, 2};
  {
    Wall wall(f, 0.f);
    f.finish(kCentre, kCentre);
    const float* out = f.pixel(kCentre, kCentre);
    EXPECT_NEAR(out[0], 0.5f * 2.25f, 1e-5f);
    EXPECT_NEAR(out[2], 1.f * 2.25f, 1e-5f);
    EXPECT_EQ(out[3], 1.f);  // opaque over a transparent background
  }
  Wall catcher(f, 1.f);
  f.args.transparent = 0;
  f.args.catcherStrength = 1.f;
  f.args.lights.count = 0;  // no lights, no shadow
  f.finish(kCentre, kCentre);
  EXPECT_EQ(f.pixel(kCentre, kCentre)[0], 0.8f);
  f.args.lights.count = 1;  // lit and clear: no shadow either
  f.finish(kCentre, kCentre);
  EXPECT_FLOAT_EQ(f.pixel(kCentre, kCentre)[0], 0.8f);
  // Ink of optical depth 0.01 per unit across the grid's 120 units: V = e^−1.2.
  std::fill(density.begin(), density.end(), 0.01f);
  f.finish(kCentre, kCentre);
  EXPECT_NEAR(f.pixel(kCentre, kCentre)[0], 0.8f * std::exp(-1.2f), 0.01f);
  EXPECT_NEAR(f.pixel(kCentre, kCentre)[3], 1.f, 1e-6f);
  f.args.transparent = 1;  // transparent: black with the shadow as alpha
  f.finish(kCentre, kCentre);
  EXPECT_EQ(f.pixel(kCentre, kCentre)[0], 0.f);
  EXPECT_NEAR(f.pixel(kCentre, kCentre)[3], 1.f - std::exp(-1.2f), 0.01f);
}

TEST(ShadowMarch, AFloorPointFarFromTheOrbStillCrossesTheGridCellByCellAndAGridWithoutSizeCastsNone) {
  const std::vector<float> density(32 * 32 * 32, 0.01f);
  ink::GridInfo grid{32, 60.f, 120.f / 32.f};
  // 1e8 away a float distance no longer grows by a cell; the march must still end.
  EXPECT_NEAR(ink::shadowDepth(grid, density.data(), {0, 1e8f, 0}, {0, -1, 0}), 1.2f, 0.3f);
  EXPECT_NEAR(ink::shadowDepth(grid, density.data(), {0, 100, 0}, {0, -1, 0}), 1.2f, 1e-4f);
  EXPECT_EQ(ink::shadowDepth(grid, density.data(), {0, 100, 0}, {0, 1, 0}), 0.f);  // away from the grid
  grid.cellSize = 0.f;
  EXPECT_EQ(ink::shadowDepth(grid, density.data(), {0, 100, 0}, {0, -1, 0}), 0.f);
}

TEST(FinishPixel, PassChannelsAreTheCoverageWeightedMeansOfThePassAccumulator) {
  FinishFrame f(kSide, kSide);
  f.fillInk({0.2f, 0.3f, 0.4f}, {0.6f, 0.9f, 1.2f});
  f.args.passAccumulator = f.passAccumulator.data();
  const float alpha = 0.5f;
  const float sums[15] = {0.1f, 0.2f, 0.3f, 75.f * alpha, 1.f * alpha, -2.f * alpha, 0.f, 0.f, 3.f,
                          0.25f, 0.125f, 0.f, 0.5f, 0.f, alpha};
  for (std::size_t p = 0; p < f.passAccumulator.size(); p += 15) std::copy(sums, sums + 15, &f.passAccumulator[p]);
  f.finish(10, 20);
  const float* r = f.record(10, 20);
  const float A = 1.f - std::exp(-0.9f);
  const float expected[24] = {0.2f, 0.3f, 0.4f, A, 0, 0, 0, 0.1f, 0.2f, 0.3f, 75.f, 1.f, -2.f, 0, 0, 1.f,
                              A * 0.5f, A * 0.25f, 0, A, 0, 0, 0.9f, 0};
  for (int c = 0; c < 24; ++c) EXPECT_NEAR(r[c], expected[c], 1e-5f) << ink::kPassChannels[c].name;
}

TEST(Bubbles, BubblesStayInTheOrbWrapFromTopToBottomAndRiseWithTime) {
  ink::BubbleField field{64, 50.f, 0.025f, 0.7f, 0.15f, 0.f, 0.f, 12345};
  for (float t : {0.f, 3.f, 40.f, 1000.f}) {
    field.time = t;
    for (int i = 0; i < field.count; ++i) {
      const ink::Bubble b = ink::bubbleAt(field, i);
      ASSERT_GE(b.centre.z, -45.f) << i;
      ASSERT_LT(b.centre.z, 45.f) << i;
      ASSERT_LE(length(b.centre), 45.001f) << i;
      ASSERT_LE(b.radius, 50.f * 0.025f);
      ASSERT_GE(b.radius, 50.f * 0.025f * 0.3f - 1e-6f);
    }
  }
  // Over a short time a bubble rises by time × rise × speed × (size share + 0.5) × 0.9 R.
  field.time = 0.f;
  const ink::Bubble before = ink::bubbleAt(field, 5);
  field.time = 0.01f;
  const ink::Bubble after = ink::bubbleAt(field, 5);
  const float share = before.radius / (50.f * 0.025f) + 0.5f;
  const float rise = after.centre.z - before.centre.z;
  EXPECT_GT(rise, 0.01f * 0.15f * 0.6f * share * 45.f * 0.999f);
  EXPECT_LT(rise, 0.01f * 0.15f * 1.4f * share * 45.f * 1.001f);
}

TEST(Bubbles, ABubbleInsideTheGlassShowsInItsPixel) {
  FinishFrame f(kSide, kSide);
  f.args.glass = 1;
  f.args.bubbleCount = 1;
  f.args.bubbleSize = 0.1f;
  f.args.bubbleShine = 1.f;
  f.args.seedHash = 77;
  const ink::BubbleField field{1, 50.f, 0.1f, 0.f, 0.f, 0.f, 0.f, 77};
  const ink::ScreenPoint s =
      ink::project(f.args.camera, f.args.tanHalfFovY, kSide, kSide, ink::bubbleAt(field, 0).centre);
  const int x = static_cast<int>(std::lround(s.x)), y = static_cast<int>(std::lround(s.y));
  f.finish(x, y);
  const float with = f.pixel(x, y)[0];
  f.args.bubbleCount = 0;
  f.finish(x, y);
  EXPECT_NE(with, f.pixel(x, y)[0]);
  EXPECT_GT(f.record(x, y)[ink::kPassGlassMask], 0.f);
}

TEST(Environment, StudioHorizonAndKeyAndTheHdriWrapsInLongitudeAndClampsInLatitude) {
  const orb::Vec up = ink::studio({0, 0, 1}, 1.f), down = ink::studio({0, 0, -1}, 2.f);
  EXPECT_NEAR(up.x, 1.f, 1e-6f);
  EXPECT_NEAR(up.z, 1.02f, 1e-6f);
  EXPECT_NEAR(down.x, 1.72f, 1e-6f);
  // The key direction is unit to seven digits; its 60th power keeps that to about 1e-5.
  EXPECT_NEAR(ink::studio({-0.4504281f, -0.6005709f, 0.660628f}, 1.f).x, 2.499892f, 5e-5f);

  // Four columns R = 0, 1, 2, 3; the lower row is brighter by 10.
  std::vector<float> hdri(4 * 2 * 3, 0.f);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) hdri[3 * (y * 4 + x)] = static_cast<float>(x) + 10.f * static_cast<float>(y);
  ink::EnvironmentMap map{hdri.data(), 4, 2, 0.f, 2.f};
  EXPECT_NEAR(ink::environment(map, {0, 0, 1}).x, 2.f * 1.5f, 1e-5f);       // the top row, u = 0.5
  EXPECT_NEAR(ink::environment(map, {0, -1, 0}).x, 2.f * 5.5f, 1e-5f);      // u = 0.25, halfway down
  EXPECT_NEAR(ink::environment(map, {0, 1, 0}).x, 2.f * 7.5f, 1e-5f);       // u = 0.75
  map.rotation = util::kPi / 2.f;                                            // u = 1: columns 3 and 0
  EXPECT_NEAR(ink::environment(map, {0, 1, 0}).x, 2.f * 6.5f, 1e-5f);
}

}  // namespace
