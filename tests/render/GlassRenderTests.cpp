// The glass orb end to end through the render host: the ink lensed by the
// glass with reflections and highlights, the caustic on the floor catcher
// and its energy, caustics that are skipped (no floor, no light, no memory)
// without failing the frame, and the 28-channel EXR of a real frame.
#include <gtest/gtest.h>

#include <ImfChannelList.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "GlassOrbScene.h"
#include "gpu/Device.h"
#include "ink/render/Caustics.h"
#include "ink/render/RenderHost.h"
#include "ink/render/RenderOutput.h"
#include "ink/render/RenderPasses.h"

namespace {

constexpr int kSize = 200;

struct GlassRender : ::testing::Test {
  static rendertest::InkCloud& cloud() {
    static rendertest::InkCloud c;  // seeded once for the suite
    static const bool built = [] {
      std::string status;
      EXPECT_TRUE(c.build(100000, 0.f, status)) << status;
      return true;
    }();
    (void)built;
    return c;
  }
  void TearDown() override { gpu::faults::reset(); }

  ink::RenderHost host;
  std::vector<ink::SceneTriangle> floor = rendertest::catcherFloor();
  std::vector<ink::RenderLight> lights = rendertest::lightFromAbove();
  ink::RenderSettings settings = rendertest::glassOrbSettings(kSize, kSize, floor, lights, 64);
  std::vector<float> image, passes;
  std::string status;

  bool render(bool withPasses = false) {
    ink::RenderObjectState object;
    const std::vector<ink::ChunkSource> sources{cloud().sim.source()};
    const std::vector<float> weights{rendertest::inkCloudParticleMass(cloud().params.count)};
    settings.passes = withPasses ? 1 : 0;
    return host.render(settings, object, sources, weights, image, withPasses ? &passes : nullptr, status);
  }
  std::vector<float> photonMap(int light) {
    std::vector<float> map(ink::kCausticMapFloats);
    gpu::memcpy(map.data(), ink::causticMaps().photons.data() + light * ink::kCausticMapFloats,
                sizeof(float) * map.size(), gpu::CopyKind::DeviceToHost);
    return map;
  }
};

TEST_F(GlassRender, TheGlassAddsReflectionsAndHighlightsAndTheCausticBrightensTheFloor) {
  ASSERT_TRUE(render(true)) << status;
  const std::string png = std::string(::testing::TempDir()) + "glass_orb.png";
  ASSERT_TRUE(ink::writeFrame(png, image, {}, kSize, kSize, {}, status)) << status;

  int glassPixels = 0, lit = 0;
  double added = 0;
  for (int p = 0; p < kSize * kSize; ++p) {
    const float* r = &passes[24 * p];
    if (r[ink::kPassGlassMask] != 1.f) continue;
    ++glassPixels;
    const float sum = r[ink::kPassGlassR] + r[ink::kPassGlassG] + r[ink::kPassGlassB];
    lit += sum > 0.f;
    added += sum;
  }
  std::printf("glass pixels %d, with glass light %d, mean glass.R+G+B %.4f\n", glassPixels, lit,
              added / std::max(glassPixels, 1));
  EXPECT_GT(glassPixels, kSize * kSize / 8);
  EXPECT_GT(lit, glassPixels * 9 / 10);

  // The same frame without caustics: the floor under the orb only darkens.
  const std::vector<float> withCaustics = image;
  settings.caustics = false;
  ASSERT_TRUE(render()) << status;
  float brightest = 0.f;
  int brighter = 0;
  for (int p = 0; p < kSize * kSize; ++p) {
    const float gain = withCaustics[4 * p] - image[4 * p];
    brightest = std::max(brightest, gain);
    brighter += gain > 0.05f;
  }
  std::printf("caustic: %d pixels brighter by more than 0.05, at most by %.3f\n", brighter, brightest);
  EXPECT_GT(brighter, 20);
  EXPECT_GT(brightest, 0.2f);
}

TEST_F(GlassRender, TheCausticMapHoldsThePowerTheSphereTransmitsForALightFromAbove) {
  lights = {{{0, 0, 1}, {1, 1, 1}}, {{0, 0, -1}, {1, 1, 1}}};  // from above, and from below
  settings = rendertest::glassOrbSettings(kSize, kSize, floor, lights, 64);
  settings.causticLightSize = 0.f;
  ASSERT_TRUE(render()) << status;
  const std::vector<float> above = photonMap(0), below = photonMap(1);
  const double total = std::accumulate(above.begin(), above.end(), 0.0);
  const double expected = rendertest::transmittedPower(50.f * 1.015f, 1.5);
  std::printf("caustic map total %.2f, transmitted photon energy %.2f (disc %.2f)\n", total, expected,
              3.14159265 * 50.75 * 50.75);
  EXPECT_NEAR(total, expected, 0.005 * expected);
  EXPECT_EQ(std::accumulate(below.begin(), below.end(), 0.0), 0.0);
}

TEST_F(GlassRender, FramesWithoutAFloorALightOrCausticMemoryRenderWithoutCaustics) {
  settings.caustics = false;
  ASSERT_TRUE(render()) << status;
  const std::vector<float> plain = image;

  settings.caustics = true;
  std::vector<ink::SceneTriangle> high = rendertest::catcherFloor(30.f);  // nothing below the orb
  settings.sceneTriangles = high.data();
  ASSERT_TRUE(render()) << status;
  settings.sceneTriangles = floor.data();

  // The caustic buffers cannot grow: the frame is the one without caustics.
  ink::causticMaps().photons.release();
  ink::causticMaps().filtered.release();
  gpu::faults::failAllocation(1);
  ASSERT_TRUE(render()) << status;
  EXPECT_EQ(image, plain);
  ASSERT_TRUE(render()) << status;  // and the next frame has them again
  EXPECT_NE(image, plain);
}

TEST_F(GlassRender, AnExrOfARenderedFrameHoldsExactlyTheTwentyEightChannels) {
  settings.width = settings.height = 48;
  ASSERT_TRUE(render(true)) << status;
  const std::string path = std::string(::testing::TempDir()) + "glass_orb_passes.exr";
  ASSERT_TRUE(ink::writeFrame(path, image, passes, 48, 48, {}, status)) << status;
  Imf::InputFile file(path.c_str());
  std::vector<std::string> names;
  for (auto it = file.header().channels().begin(); it != file.header().channels().end(); ++it)
    names.push_back(it.name());
  std::vector<std::string> expected{"A", "B", "G", "R"};
  for (const ink::PassChannel& c : ink::kPassChannels) expected.push_back(c.name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);  // OpenEXR lists channels sorted by name
}

}  // namespace
