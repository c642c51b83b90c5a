// Every failure of a frame and of the density export: the exact one-line
// text, false, the caller's image untouched, and a host that renders again
// afterwards. Allocation faults reach each buffer in the frame's order.
#include <gtest/gtest.h>

#include <vector>

#include "RenderFixtures.h"
#include "gpu/Device.h"
#include "ink/render/DensityExport.h"
#include "ink/render/RenderHost.h"
#include "ink/render/RenderUpload.h"

namespace {

struct RenderFailureTest : ::testing::Test {
  void TearDown() override {
    gpu::faults::reset();
    ink::renderFaults::failHostAllocation(0);
  }

  // A frame that uses every buffer: HDRI, colour map, background, mattes,
  // scene triangles and passes.
  RenderFailureTest() {
    settings.hdri = texels.data();
    settings.hdriWidth = settings.hdriHeight = 2;
    settings.colorMap = texels.data();
    settings.colorMapWidth = settings.colorMapHeight = 2;
    settings.mapMode = 1;
    settings.background = background.data();
    settings.matteTriangles = &matte;
    settings.matteTriangleCount = 1;
    settings.sceneTriangles = &scene;
    settings.sceneTriangleCount = 1;
    settings.passes = 1;
    std::string error;
    sources[0]([](const ink::Chunk&) { return true; }, error);  // the source's own buffers exist from here on
  }

  bool render() {
    ink::RenderObjectState object;
    return host.render(settings, object, sources, weights, image, &passes, status);
  }

  ink::RenderHost host;
  ink::RenderSettings settings = rendertest::defaultLook(24, 20);
  std::vector<float> texels = std::vector<float>(12, 0.5f);
  std::vector<float> background = std::vector<float>(24 * 20 * 4, 0.25f);
  ink::MatteTriangle matte{{-5, 0, -5}, {5, 0, -5}, {0, 0, 5}, 1.f};
  ink::SceneTriangle scene{{-5, 10, -5}, {5, 10, -5}, {0, 10, 5}, {1, 1, 1}, 0.f};
  std::vector<ink::ChunkSource> sources{
      rendertest::listSource(rendertest::ballPositions(3000, 20.f), std::vector<float>(3000, 1.f))};
  std::vector<float> weights{0.05f};
  std::vector<float> image, passes;
  std::string status;
};

TEST_F(RenderFailureTest, EveryBufferThatCannotBeAllocatedHasItsText) {
  ASSERT_TRUE(render()) << status;
  const std::vector<float> good = image;
  const struct {
    int allocation;
    const char* text;
  } cases[] = {{1, "GPU out of memory (grid)"},       {3, "GPU out of memory (grid)"},
               {4, "GPU out of memory (image)"},      {5, "GPU out of memory (image)"},
               {6, "GPU out of memory (HDRI)"},       {7, "GPU out of memory (colour map)"},
               {8, "GPU out of memory (background)"}, {9, "GPU out of memory (matte)"},
               {10, "GPU out of memory (matte)"},     {11, "GPU out of memory (scene)"},
               {13, "GPU out of memory (scene)"},     {14, "GPU out of memory (render passes)"},
               {15, "GPU out of memory (render passes)"}};
  for (const auto& c : cases) {
    ink::RenderHost fresh;  // allocates every buffer in the frame's order
    gpu::faults::failAllocation(c.allocation);
    image = good;
    EXPECT_FALSE(fresh.render(settings, {}, sources, weights, image, &passes, status)) << c.allocation;
    EXPECT_EQ(status, c.text) << c.allocation;
    EXPECT_EQ(image, good) << c.allocation;
    gpu::faults::reset();
    EXPECT_TRUE(fresh.render(settings, {}, sources, weights, image, &passes, status)) << status;
    EXPECT_EQ(image, good) << c.allocation;
  }
}

TEST_F(RenderFailureTest, AFailedGridAllocationForgetsTheGridsAndTheNextFrameAllocatesThemAgain) {
  ASSERT_TRUE(render()) << status;
  EXPECT_EQ(host.gridCapacity(), 64 * 64 * 64);
  settings.gridRes = 96;
  gpu::faults::failAllocation(2);
  EXPECT_FALSE(render());
  EXPECT_EQ(status, "GPU out of memory (grid)");
  EXPECT_EQ(host.gridCapacity(), 0);
  EXPECT_TRUE(render()) << status;
  EXPECT_EQ(host.gridCapacity(), 96 * 96 * 96);
}

TEST_F(RenderFailureTest, HugeImagesFailAsOutOfMemoryAndBadSizesAreRefused) {
  settings.background = nullptr;
  settings.width = settings.height = 200000;  // 4e10 pixels
  EXPECT_FALSE(render());
  EXPECT_EQ(status, "GPU out of memory (image)");
  settings.width = settings.height = 2147483647;
  EXPECT_FALSE(render());
  EXPECT_EQ(status, "GPU out of memory (image)");
  ink::RenderObjectState supersampled;
  supersampled.antialias = 4;
  settings.width = settings.height = 1000000000;  // 4 × the side does not fit 32 bits
  EXPECT_FALSE(host.render(settings, supersampled, sources, weights, image, &passes, status));
  EXPECT_EQ(status, "GPU out of memory (image)");
  settings.width = 0;
  EXPECT_FALSE(render());
  EXPECT_EQ(status, "invalid image size");
}

TEST_F(RenderFailureTest, DeviceSourceAndHostFailuresReportTheirOwnText) {
  gpu::faults::failLaunch(3);
  EXPECT_FALSE(render());
  EXPECT_EQ(status, gpu::errorString(gpu::ErrorLaunchFailure));

  const std::vector<ink::ChunkSource> failing{[](const ink::ChunkSink&, std::string& error) {
    error = "no state";
    return false;
  }};
  EXPECT_FALSE(host.render(settings, {}, failing, weights, image, &passes, status));
  EXPECT_EQ(status, "no state");

  EXPECT_FALSE(host.render(settings, {}, sources, {}, image, &passes, status));
  EXPECT_EQ(status, "one particle weight per source is needed");

  ink::renderFaults::failHostAllocation(1);
  EXPECT_FALSE(render());
  EXPECT_EQ(status, "not enough system memory for the image");
  EXPECT_TRUE(render()) << status;
}

TEST_F(RenderFailureTest, TheDensityExportReportsItsGridAndHostMemoryFailures) {
  std::vector<float> grid{1.f, 2.f};
  gpu::faults::failAllocation(1);
  EXPECT_FALSE(ink::buildDensityGrid(sources, weights, 30.f, 40, grid, status));
  EXPECT_EQ(status, "GPU out of memory for a 40^3 grid");
  EXPECT_FALSE(ink::buildDensityGrid(sources, weights, 30.f, 3000000, grid, status));
  EXPECT_EQ(status, "GPU out of memory for a 3000000^3 grid");
  EXPECT_FALSE(ink::buildDensityGrid(sources, weights, 30.f, -2, grid, status));
  EXPECT_EQ(status, "GPU out of memory for a -2^3 grid");
  ink::renderFaults::failHostAllocation(1);
  EXPECT_FALSE(ink::buildDensityGrid(sources, weights, 30.f, 40, grid, status));
  EXPECT_EQ(status, "not enough system memory for the grid");
  EXPECT_EQ(grid, (std::vector<float>{1.f, 2.f}));
  EXPECT_TRUE(ink::buildDensityGrid(sources, weights, 30.f, 40, grid, status)) << status;
  EXPECT_EQ(grid.size(), 40u * 40u * 40u);
}

}  // namespace
