// Assemble in the ink object's evaluation: every render source wrapped and
// said so in the summary, progress 1 without a wrapper, the viewport's host
// morph per group with an unchanged count, and source nodes that would make
// the gathering evaluate itself.
#include <gtest/gtest.h>

#include <vector>

#include "InkEvaluationFixture.h"
#include "host/runtime/Geometry.h"
#include "ink/AssembleEvaluation.h"
#include "ink/AssembleGathering.h"
#include "ink/render/RenderHashes.h"
#include "ink/sim/DeviceCopy.h"
#include "ink/sim/GpuContext.h"
#include "tests/inksim/AssembleShapes.h"

namespace {

// Ink and silk (from a plane), gathering from a sphere on +x and a box on -x.
struct AssembleEvaluationTest : InkEvaluationTest {
  void SetUp() override {
    InkEvaluationTest::SetUp();
    std::string device;
    if (!ink::describeDevice(device)) GTEST_SKIP() << "the engines need a device: " << device;
    pb.SetValue(pid::silkSource, 0, meshNode(new host::PlaneObject(60, 40), L"Cloth", Point3(0, 0, 0)));
    pb.SetValue(pid::silkCount, 0, 2000);
    pb.SetValue(pid::silkViewport, 0, 500);
    pb.SetValue(pid::assembleSource1, 0, meshNode(new host::SphereObject(15.f, 16), L"Ball", Point3(100, 0, 0)));
    pb.SetValue(pid::assembleSource2, 0, meshNode(new host::BoxObject(Point3(20, 30, 10)), L"Crate", Point3(-100, 0, 20)));
    pb.SetValue(pid::assembleOn, 0, 1);
    pb.SetValue(pid::assembleSpread, 0, 0.f);
  }
  // Every source's positions in streaming order, each with its assemble index.
  struct Streamed {
    std::vector<orb::Vec> positions;
    std::vector<std::uint64_t> ids;
  };
  Streamed stream() {
    Streamed s;
    for (std::size_t i = 0; i < out.size(); ++i) {
      std::string error;
      EXPECT_TRUE(out.sources[i](
          [&](const ink::Chunk& c) {
            std::vector<orb::Vec> batch(static_cast<std::size_t>(c.count));
            EXPECT_EQ(ink::download(batch.data(), c.positions, c.count), gpu::Success);
            s.positions.insert(s.positions.end(), batch.begin(), batch.end());
            for (std::int64_t k = 0; k < c.count; ++k)
              s.ids.push_back(static_cast<std::uint64_t>(out.idBases[i] + c.first + k));
            return true;
          },
          error))
          << error;
    }
    return s;
  }
};

TEST_F(AssembleEvaluationTest, RenderModeWrapsEverySourceSoEveryParticleStartsInItsTarget) {
  pb.SetValue(pid::assembleProgress, 0, 0.f);
  ASSERT_TRUE(evaluate(2 * kFrame, EvalMode::Render)) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "ink 3000, silk 2000, assemble 0.00");
  const ink::AssembleParams record = ink::assembleRecord(pb, inkNode, 2 * kFrame);
  ASSERT_EQ(record.shapeCount, 2);
  const Streamed s = stream();
  ASSERT_EQ(s.positions.size(), 5000u);
  int second = 0;
  for (std::size_t i = 0; i < s.positions.size(); ++i) {
    const int target = ink::sourceHash(s.ids[i], record.seedMix) < 0.5f ? 1 : 0;
    second += target;
    ASSERT_TRUE(inktest::insideShape(record.shape[target], s.positions[i])) << i;
  }
  EXPECT_NEAR(second, 2500, 150);

  // At progress 1 the sources stream their simulated positions unwrapped.
  pb.SetValue(pid::assembleProgress, 0, 1.f);
  ASSERT_TRUE(evaluate(2 * kFrame, EvalMode::Render));
  EXPECT_EQ(ink->StatusText(), "ink 3000, silk 2000");
  const Streamed home = stream();
  pb.SetValue(pid::assembleOn, 0, 0);
  ASSERT_TRUE(evaluate(2 * kFrame, EvalMode::Render));
  EXPECT_EQ(stream().positions, home.positions);

  // The summary prints the progress at the evaluated time.
  pb.SetValue(pid::assembleOn, 0, 1);
  pb.SetValue(pid::assembleProgress, 0, 0.625f);
  ASSERT_TRUE(evaluate(2 * kFrame, EvalMode::Render));
  EXPECT_EQ(ink->StatusText(), "ink 3000, silk 2000, assemble 0.62");

  // Without any source there is nothing to wrap, and the summary says so.
  pb.SetValue(pid::inkEnabled, 0, 0);
  pb.SetValue(pid::silkSource, 0, static_cast<INode*>(nullptr));
  EXPECT_FALSE(evaluate(0, EvalMode::Render));
  EXPECT_EQ(ink->StatusText(), "no particle group enabled");
}

TEST_F(AssembleEvaluationTest, TheViewportMorphsEveryGroupOnTheHostAndKeepsItsCount) {
  pb.SetValue(pid::assembleOn, 0, 0);
  const std::vector<Point3> simulated = ink->ViewportParticles(kFrame);
  ASSERT_EQ(simulated.size(), 1500u) << ink->StatusText();
  pb.SetValue(pid::assembleOn, 0, 1);
  pb.SetValue(pid::assembleProgress, 0, 0.5f);
  const std::vector<Point3> gathering = ink->ViewportParticles(kFrame);
  ASSERT_EQ(gathering.size(), simulated.size());
  EXPECT_EQ(ink->StatusText(), "ink 1000, silk 500");  // the viewport evaluation wraps nothing

  // Ink particles 0 … 999 of group 0, then silk particles 0 … 499 of group 1.
  const ink::AssembleParams record = ink::assembleRecord(pb, inkNode, kFrame);
  std::vector<Point3> inkPart(simulated.begin(), simulated.begin() + 1000);
  std::vector<Point3> silkPart(simulated.begin() + 1000, simulated.end());
  ink::morphLastPoints(record, ink::kInkGroup, inkPart, inkPart.size());
  ink::morphLastPoints(record, ink::kSilkGroup, silkPart, silkPart.size());
  inkPart.insert(inkPart.end(), silkPart.begin(), silkPart.end());
  EXPECT_EQ(gathering, inkPart);
  int moved = 0;
  for (std::size_t i = 0; i < simulated.size(); ++i) moved += !(gathering[i] == simulated[i]);
  EXPECT_GT(moved, 1000);

  // Without a source object there is nothing to gather from.
  pb.SetValue(pid::assembleSource1, 0, static_cast<INode*>(nullptr));
  pb.SetValue(pid::assembleSource2, 0, static_cast<INode*>(nullptr));
  EXPECT_EQ(ink->ViewportParticles(kFrame), simulated);
}

// An ink object named as its own source, or two that name each other, would
// evaluate themselves while gathering: they find no shape instead.
TEST_F(AssembleEvaluationTest, SourcesThatWouldEvaluateTheInkItselfGiveNoShape) {
  pb.SetValue(pid::assembleSource1, 0, inkNode);
  pb.SetValue(pid::assembleSource2, 0, static_cast<INode*>(nullptr));
  EXPECT_EQ(ink::assembleRecord(pb, inkNode, 0).shapeCount, 0);
  EXPECT_EQ(ink->ViewportParticles(0).size(), 1500u);

  auto* other = static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE)));
  INode* otherNode = core.CreateObjectNode(other, L"Other");
  other->GetParamBlock(0)->SetValue(pid::viewportCount, 0, 1200);
  other->GetParamBlock(0)->SetValue(pid::assembleOn, 0, 1);
  other->GetParamBlock(0)->SetValue(pid::assembleProgress, 0, 0.f);
  other->GetParamBlock(0)->SetValue(pid::assembleSource1, 0, inkNode);
  pb.SetValue(pid::assembleSource1, 0, otherNode);
  pb.SetValue(pid::assembleProgress, 0, 0.f);
  EXPECT_EQ(ink::assembleRecord(pb, inkNode, 0).shapeCount, 0);
  EXPECT_EQ(ink->ViewportParticles(0).size(), 1500u);
  ASSERT_TRUE(evaluate(0, EvalMode::Render)) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "ink 3000, silk 2000, assemble 0.00");
  other->UpdateParticles(0, otherNode);
  EXPECT_EQ(other->parts.Count(), 1200);
}

}  // namespace
