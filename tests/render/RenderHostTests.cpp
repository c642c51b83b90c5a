// The render host end to end: the GPU lock taken again by a streamed engine,
// the antialias wrapper, the frame's lights and grid, the density export,
// images that composite ink over the background, and launches whose sums do
// not depend on how the particles were spread over threads.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <future>
#include <numeric>
#include <vector>

#include "InkCloudScene.h"
#include "GpuLockProbe.h"
#include "InkSimFixtures.h"
#include "RenderFixtures.h"
#include "gpu/Device.h"
#include "ink/render/DensityExport.h"
#include "ink/render/RenderCamera.h"
#include "ink/render/RenderHost.h"
#include "ink/render/RenderKernels.h"
#include "ink/render/RenderLights.h"
#include "ink/render/Splat.h"
#include "ink/sim/GpuContext.h"
#include "ink/sim/InkSim.h"

namespace {

struct RenderHostTest : ::testing::Test {
  void TearDown() override { gpu::faults::reset(); }

  ink::RenderHost host;
  ink::RenderSettings settings = rendertest::defaultLook(48, 40);
  std::vector<ink::ChunkSource> sources{rendertest::listSource(rendertest::ballPositions(20000, 20.f),
                                                               std::vector<float>(20000, 1.f), 7000)};
  std::vector<float> weights{0.05f};
  std::vector<float> image;
  std::string status;

  bool renderAt(int antialias, std::vector<float>* passes = nullptr) {
    ink::RenderObjectState object;
    object.antialias = antialias;
    return host.render(settings, object, sources, weights, image, passes, status);
  }
};

TEST_F(RenderHostTest, ARenderStreamsAnInkEngineUnderItsOwnLockWhileAnotherThreadWaits) {
  ink::Params params = inktest::defaultParams(20000);
  params.loop = 0;
  ink::InkSim sim;
  ASSERT_TRUE(sim.configure(params, inktest::defaultTrack(params), {}, status)) << status;
  ASSERT_TRUE(sim.advance(0.f, status)) << status;
  bool othersWaited = true;
  const ink::ChunkSource engine = sim.source();
  sources = {[&](const ink::ChunkSink& sink, std::string& error) {
    othersWaited = othersWaited && !inktest::lockFreeForAnotherThread();
    return engine(sink, error);
  }};
  auto done = std::async(std::launch::async, [&] { return renderAt(1); });
  ASSERT_EQ(done.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "the render deadlocked";
  EXPECT_TRUE(done.get()) << status;
  EXPECT_TRUE(othersWaited);
  EXPECT_TRUE(inktest::lockFreeForAnotherThread());
}

TEST_F(RenderHostTest, InkDarkensTheBackgroundWhereItIsAndNowhereElse) {
  ASSERT_TRUE(renderAt(1)) << status;
  ASSERT_EQ(image.size(), 48u * 40u * 4u);
  const float* centre = &image[4 * (20 * 48 + 24)];
  EXPECT_LT(centre[0], 0.9f);
  EXPECT_EQ(centre[3], 1.f);
  const float* corner = &image[0];
  EXPECT_EQ(corner[0], 1.f);
  EXPECT_EQ(corner[1], 1.f);
  EXPECT_EQ(corner[2], 1.f);
  EXPECT_GT(host.lastRenderSeconds(), 0.0);

  // Transparent: alpha is the ink's own, zero where there is none.
  settings.bgMode = 1;
  ASSERT_TRUE(renderAt(1)) << status;
  EXPECT_EQ(image[3], 0.f);
  EXPECT_GT(image[4 * (20 * 48 + 24) + 3], 0.1f);
}

TEST_F(RenderHostTest, AntialiasRendersAtThreeTimesTheSizeWithThreeTimesThePointAndAveragesNineSamples) {
  settings.pointSize = 1.f;
  ASSERT_TRUE(renderAt(3)) << status;
  const std::vector<float> averaged = image;

  ink::RenderSettings big = settings;
  big.width *= 3;
  big.height *= 3;
  big.pointSize = 3.f;
  std::vector<float> samples;
  ASSERT_TRUE(host.renderFrameCore(big, sources, weights, samples, status)) << status;
  for (int y = 0; y < settings.height; y += 7)
    for (int x = 0; x < settings.width; x += 5)
      for (int c = 0; c < 4; ++c) {
        float mean = 0.f;
        for (int sy = 0; sy < 3; ++sy)
          for (int sx = 0; sx < 3; ++sx) mean += samples[4 * ((3 * y + sy) * big.width + 3 * x + sx) + c] / 9.f;
        EXPECT_NEAR(averaged[4 * (y * settings.width + x) + c], mean, 1e-4f) << x << "," << y;
      }
  EXPECT_EQ(host.pixelCapacity(), 144 * 120);

  // Above four the wrapper renders at four.
  ASSERT_TRUE(renderAt(9)) << status;
  EXPECT_EQ(host.pixelCapacity(), 192 * 160);
}

TEST_F(RenderHostTest, PassesAreAveragedWithUnitNormalsAndStayOffWithoutAnOutput) {
  settings.passes = 1;
  std::vector<float> passes;
  ASSERT_TRUE(renderAt(2, &passes)) << status;
  ASSERT_EQ(passes.size(), 48u * 40u * 24u);
  const float* centre = &passes[24 * (20 * 48 + 24)];
  EXPECT_GT(centre[3], 0.f);                       // ink.A
  EXPECT_NEAR(centre[10], 200.f, 25.f);            // depth of a ball around the origin, seen from 200 away
  EXPECT_NEAR(std::hypot(centre[13], centre[14], centre[15]), 1.f, 1e-4f);
  EXPECT_NEAR(centre[16], centre[3], 1e-3f);       // group 0 holds all the ink
  EXPECT_TRUE(renderAt(1));                        // passes wanted, no output: no pass buffers needed
}

TEST(RenderLights, DefaultLightSceneLightsCapAndGridResolution) {
  ink::RenderSettings s = rendertest::defaultLook(8, 8);
  const ink::LightSet fallback = ink::renderLights(s);
  ASSERT_EQ(fallback.count, 1);
  EXPECT_NEAR(length(fallback.direction[0]), 1.f, 1e-6f);
  EXPECT_NEAR(fallback.direction[0].z, 0.82f / std::sqrt(0.35f * 0.35f + 0.45f * 0.45f + 0.82f * 0.82f), 1e-6f);
  EXPECT_EQ(fallback.colour[0], (orb::Vec{1.4f, 1.4f, 1.4f}));

  std::vector<ink::RenderLight> nine(9, ink::RenderLight{{0, 0, 2}, {1, 0.5f, 0.25f}});
  s.lights = nine.data();
  s.lightCount = 9;
  const ink::LightSet eight = ink::renderLights(s);
  EXPECT_EQ(eight.count, 8);
  EXPECT_EQ(eight.direction[7], (orb::Vec{0, 0, 1}));

  EXPECT_EQ(ink::gridResolution(10), 32);
  EXPECT_EQ(ink::gridResolution(1000), 512);
  EXPECT_EQ(ink::gridResolution(192), 192);
}

TEST(RenderLights, AmbientIsExactlyTheSettingWithoutAnEnvironmentAndAddsTheWeightedMeanWithOne) {
  ink::RenderSettings s = rendertest::defaultLook(8, 8);
  EXPECT_EQ(ink::renderAmbient(s, false), (orb::Vec{0.12f, 0.12f, 0.12f}));
  // Top row red, bottom row blue: the rows weigh the same, so the mean is half of each.
  const std::vector<float> hdri{1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1};
  s.hdri = hdri.data();
  s.hdriWidth = 2;
  s.hdriHeight = 2;
  s.envLighting = 1.f;
  s.envIntensity = 2.f;
  const orb::Vec lit = ink::renderAmbient(s, true);
  EXPECT_NEAR(lit.x, 1.12f, 1e-6f);
  EXPECT_NEAR(lit.y, 0.12f, 1e-6f);
  EXPECT_NEAR(lit.z, 1.12f, 1e-6f);
}

TEST(RenderCamera, CameraInInkSpaceAndTheDefaultFieldOfView) {
  EXPECT_FALSE(ink::buildCamera(nullptr, nullptr, std::nullopt).has_value());
  Matrix3 camera;  // looking down −z from (0, 0, 100)
  camera.SetTrans({0, 0, 100});
  Matrix3 inkNode;
  inkNode.SetTrans({0, 0, 30});
  const ink::Camera c = *ink::buildCamera(&camera, &inkNode, std::nullopt);
  EXPECT_EQ(c.eye, (orb::Vec{0, 0, 70}));
  EXPECT_EQ(c.forward, (orb::Vec{0, 0, -1}));
  EXPECT_NEAR(c.tanHalfFov, std::tan(0.7854f / 2), 1e-6f);
  EXPECT_NEAR(ink::buildCamera(&camera, nullptr, 1.2f)->tanHalfFov, std::tan(0.6f), 1e-6f);
}

TEST(DensityExport, TheGridHoldsEveryParticlesMassPerUnitVolume) {
  const std::vector<orb::Vec> positions = rendertest::ballPositions(5000, 10.f);
  std::vector<float> opacity(positions.size());
  for (std::size_t i = 0; i < opacity.size(); ++i) opacity[i] = 0.5f + static_cast<float>(i % 3) * 0.25f;
  const double mass = 2.0 * std::accumulate(opacity.begin(), opacity.end(), 0.0);
  std::vector<float> grid;
  std::string status;
  ASSERT_TRUE(ink::buildDensityGrid({rendertest::listSource(positions, opacity, 1500)}, {2.f}, 16.f, 32, grid, status))
      << status;
  ASSERT_EQ(grid.size(), 32u * 32u * 32u);
  const double cellVolume = 1.0;  // (32 / 32)³
  EXPECT_NEAR(std::accumulate(grid.begin(), grid.end(), 0.0) * cellVolume, mass, 1e-4 * mass);
}

TEST(AccumulatingLaunch, SplatSumsDoNotDependOnHowThreadsShareTheParticles) {
  constexpr int W = 64, H = 48;
  const std::int64_t n = 200000;
  std::vector<orb::Vec> positions = rendertest::ballPositions(n, 60.f);
  const std::vector<float> weights(n, 1.f);
  ink::SplatArgs a = rendertest::plainSplat(W, H);
  a.pointSize = 3.f;
  a.pointSizeJitter = 0.5f;  // drawn from the particle's own index, whatever order the launch runs
  const ink::GridInfo grid{32, 100.f, 6.25f};
  const std::vector<float> zeros(32 * 32 * 32, 0.f);
  // Per-particle colours and emission travel with their particles when the launch reorders them.
  std::vector<orb::Vec> colours(n), emission(n);
  for (std::int64_t i = 0; i < n; ++i) {
    colours[i] = {0.2f + 0.6f * static_cast<float>(i % 7) / 7.f, 0.5f, 0.9f - 0.1f * static_cast<float>(i % 5)};
    emission[i] = {0.01f * static_cast<float>(i % 11), 0.f, 0.02f};
  }

  // Serial reference through the per-item body.
  rendertest::HostAccumulators serial(W, H);
  const ink::SplatInputs in{positions.data(), weights.data(), grid, zeros.data(), zeros.data(), nullptr, 0, nullptr, 0,
                            zeros.data(), colours.data(), emission.data()};
  for (std::int64_t i = 0; i < n; ++i) ink::splatParticle(a, in, i, serial.accumulator());

  // The launch on the device.
  gpu::DeviceArray<orb::Vec> p, c, e;
  gpu::DeviceArray<float> w, g, acc;
  ASSERT_TRUE(p.reserve(n) && c.reserve(n) && e.reserve(n) && w.reserve(n) && g.reserve(32 * 32 * 32) &&
              acc.reserve(6 * W * H));
  gpu::memcpy(p.data(), positions.data(), sizeof(orb::Vec) * n, gpu::CopyKind::HostToDevice);
  gpu::memcpy(c.data(), colours.data(), sizeof(orb::Vec) * n, gpu::CopyKind::HostToDevice);
  gpu::memcpy(e.data(), emission.data(), sizeof(orb::Vec) * n, gpu::CopyKind::HostToDevice);
  gpu::memcpy(w.data(), weights.data(), sizeof(float) * n, gpu::CopyKind::HostToDevice);
  gpu::memcpy(g.data(), zeros.data(), sizeof(float) * zeros.size(), gpu::CopyKind::HostToDevice);
  for (int round = 0; round < 2; ++round) {  // the second launch finds the private copies cleared
    gpu::memset(acc.data(), 0, sizeof(float) * 6 * W * H);
    ASSERT_EQ(ink::splatImage(p.data(), w.data(), n, grid, g.data(), g.data(), a, acc.data(), nullptr, 0, nullptr, 0,
                              g.data(), c.data(), e.data()),
              gpu::Success);
    std::vector<float> launched(6 * W * H);
    gpu::memcpy(launched.data(), acc.data(), sizeof(float) * launched.size(), gpu::CopyKind::DeviceToHost);
    for (std::size_t i = 0; i < launched.size(); ++i)
      ASSERT_NEAR(launched[i], serial.image[i], 1e-4f * std::max(1.f, std::fabs(serial.image[i]))) << i;
  }
}

TEST(InkCloud, ASeededCloudRendersToAPngThatShowsInkOverTheBackground) {
  rendertest::InkCloud cloud;
  std::string status;
  ASSERT_TRUE(cloud.build(100000, 0.f, status)) << status;
  ink::RenderHost host;
  std::vector<float> image;
  const std::string png = std::string(::testing::TempDir()) + "render_ink_cloud.png";
  ASSERT_TRUE(rendertest::renderInkCloud(host, cloud, rendertest::inkCloudSettings(160, 160, 64), png, image, status))
      << status;
  int inked = 0;
  for (std::size_t p = 0; p < image.size(); p += 4) inked += image[p] < 0.85f;
  EXPECT_GT(inked, 160 * 160 / 20);  // a cloud, not a few specks
  EXPECT_LT(inked, 160 * 160);       // with background around it
  std::ifstream file(png, std::ios::binary);
  EXPECT_TRUE(file.good());
}

}  // namespace
