// The water-ink source in the ink object's evaluation: the summary with and
// without a fresh water run, one water for both modes, weights and ids, the
// veils as a wall in the water and the silk drifting with it, and the
// viewport's order.
#include <gtest/gtest.h>

#include <regex>

#include "InkEvaluationFixture.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"

namespace {

struct WaterEvaluationTest : InkEvaluationTest {
  void SetUp() override {
    InkEvaluationTest::SetUp();
    std::string device;
    if (!ink::describeDevice(device)) GTEST_SKIP() << "the engines need a device: " << device;
    pb.SetValue(pid::inkEnabled, 0, 0);
    pb.SetValue(pid::radius, 0, 40.f);
    pb.SetValue(pid::plumeOn, 0, 1);
    pb.SetValue(pid::plumeRes, 0, 16);
    pb.SetValue(pid::plumeEnd, 0, 10);
    pb.SetValue(pid::plumeViewport, 0, 500);
    pb.SetValue(pid::plumeCount, 0, 2000);
    pb.SetValue(pid::plumeDensity, 0, 3.f);
  }
  const ink::PlumeWater& water() { return ink->Evaluation().water(); }
  // The positions a source streams, in order.
  std::vector<orb::Vec> streamed(std::size_t source) {
    std::vector<orb::Vec> all;
    std::string error;
    EXPECT_TRUE(out.sources[source](
        [&all](const ink::Chunk& c) {
          const std::size_t at = all.size();
          all.resize(at + static_cast<std::size_t>(c.count));
          return ink::download(all.data() + at, c.positions, c.count) == gpu::Success;
        },
        error))
        << error;
    return all;
  }
};

const std::regex kWaterPart(R"(water ink (\d+)( simulated now)? \(water max speed \d+\.\d, \d+\.\d s, cloth wall (\d+) cells\))");

TEST_F(WaterEvaluationTest, BothModesRideOneWaterAndTheSummarySaysWhenItRan) {
  std::smatch m;
  ASSERT_TRUE(evaluate(0)) << ink->StatusText();
  const std::string first = ink->StatusText();
  ASSERT_TRUE(std::regex_match(first, m, kWaterPart)) << first;
  EXPECT_EQ(m[1], "500");
  EXPECT_TRUE(m[2].matched);
  EXPECT_EQ(m[3], "0");

  ASSERT_TRUE(evaluate(3 * kFrame));
  const std::string next = ink->StatusText();
  ASSERT_TRUE(std::regex_match(next, m, kWaterPart)) << next;
  EXPECT_FALSE(m[2].matched);

  // The render's particles ride the viewport's water: no second run.
  ASSERT_TRUE(evaluate(3 * kFrame, EvalMode::Render));
  const std::string render = ink->StatusText();
  ASSERT_TRUE(std::regex_match(render, m, kWaterPart)) << render;
  EXPECT_EQ(m[1], "2000");
  EXPECT_FALSE(m[2].matched);
  EXPECT_EQ(water().run(), 1u);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.idBases[0], std::int64_t{4} << 40);
  EXPECT_FLOAT_EQ(out.weights[0], 2.f * 3.14159265f * 40.f * 40.f * 3.f / 2000.f);
  EXPECT_EQ(streamed(0).size(), 2000u);

  // Other water settings run the water again.
  pb.SetValue(pid::plumeSink, 0, -2.f);
  ASSERT_TRUE(evaluate(3 * kFrame));
  const std::string changed = ink->StatusText();
  ASSERT_TRUE(std::regex_match(changed, m, kWaterPart)) << changed;
  EXPECT_TRUE(m[2].matched);
  EXPECT_EQ(water().run(), 2u);
}

TEST_F(WaterEvaluationTest, TheVeilsAreAWallAndTheSilkDriftsWithTheWater) {
  pb.SetValue(pid::silkSource, 0, orbNode());
  pb.SetValue(pid::silkCount, 0, 800);
  pb.SetValue(pid::silkViewport, 0, 300);
  ASSERT_TRUE(evaluate(6 * kFrame, EvalMode::Render)) << ink->StatusText();
  std::smatch m;
  const std::string status = ink->StatusText();
  const std::string part = status.substr(status.find("water"));
  ASSERT_TRUE(std::regex_match(part, m, kWaterPart)) << status;
  EXPECT_EQ(status.substr(0, 10), "silk 800, ");
  EXPECT_GT(std::stoi(m[3]), 20);  // the veils' cells
  ASSERT_EQ(out.size(), 2u);
  const std::vector<orb::Vec> drifted = streamed(0);

  // Without drag the silk streams where the cloth holds it.
  pb.SetValue(pid::plumeClothDrag, 0, 0.f);
  ASSERT_TRUE(evaluate(6 * kFrame, EvalMode::Render));
  EXPECT_EQ(water().run(), 1u);
  const std::vector<orb::Vec> held = streamed(0);
  ASSERT_EQ(held.size(), drifted.size());
  std::size_t moved = 0;
  for (std::size_t i = 0; i < held.size(); ++i) moved += held[i] != drifted[i];
  EXPECT_GT(moved, held.size() / 2);

  // The cloth no longer a wall: other water.
  pb.SetValue(pid::plumeCloth, 0, 0);
  ASSERT_TRUE(evaluate(6 * kFrame, EvalMode::Render));
  EXPECT_EQ(water().run(), 2u);

  // The viewport: silk first, water ink last.
  const std::vector<Point3> points = ink->ViewportParticles(6 * kFrame);
  ASSERT_EQ(points.size(), 800u) << ink->StatusText();
  std::vector<orb::Vec> water;
  std::string error;
  ASSERT_TRUE(ink::downloadPlume(const_cast<ink::PlumeSim&>(*ink->Evaluation().plumeEngine(EvalMode::Viewport)), 500,
                                 water, nullptr, error));
  for (std::size_t i = 0; i < water.size(); ++i) EXPECT_EQ(points[300 + i], Point3(water[i].x, water[i].y, water[i].z));
}

}  // namespace
