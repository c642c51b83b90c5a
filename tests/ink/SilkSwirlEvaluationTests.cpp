// The silk and swirl sources in the ink object's evaluation: the summary,
// group weights and ids, the orb's veils as the cloth, a UV mesh's loop,
// the Vortex Force's track, ink space and the sampling failure texts.
#include <gtest/gtest.h>

#include <cmath>

#include "InkEvaluationFixture.h"
#include "forces/VortexObject.h"
#include "forces/VortexParams.h"
#include "host/runtime/Geometry.h"
#include "ink/sim/GpuContext.h"

namespace {

struct SilkSwirlEvaluationTest : InkEvaluationTest {
  void SetUp() override {
    InkEvaluationTest::SetUp();
    std::string device;
    if (!ink::describeDevice(device)) GTEST_SKIP() << "the engines need a device: " << device;
    pb.SetValue(pid::silkViewport, 0, 500);
    pb.SetValue(pid::silkCount, 0, 2000);
    pb.SetValue(pid::swirlViewport, 0, 300);
    pb.SetValue(pid::swirlCount, 0, 600);
  }
  INode* vortexNode(Point3 position) { return meshNode(create<VortexObject>(GetVortexDesc()), L"Vortex", position); }
  std::vector<Point3> viewport(TimeValue t) { return ink->ViewportParticles(t); }
};

TEST_F(SilkSwirlEvaluationTest, TheOrbsVeilsCarryTheSilk) {
  INode* orb = orbNode();
  pb.SetValue(pid::silkSource, 0, orb);
  pb.SetValue(pid::radius, 0, 40.f);
  pb.SetValue(pid::silkDensity, 0, 3.f);
  ASSERT_TRUE(evaluate(0, EvalMode::Render)) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "ink 3000, silk 2000");
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out.idBases[1], std::int64_t{1} << 40);
  EXPECT_EQ(out.counts[1], 2000);
  EXPECT_FLOAT_EQ(out.weights[1], 2.f * 3.14159265f * 40.f * 40.f * 3.f / 2000.f);

  // Only veil faces: every silk triangle comes from material ids 2 and 3,
  // which lie inside the shell.
  const ink::SilkSim& silk = *ink->Evaluation().silkEngine(EvalMode::Render);
  ASSERT_GT(silk.triangles().size(), 0u);
  const Mesh& mesh = static_cast<OrbObject*>(orb->GetObjectRef())->mesh;
  std::size_t veilFaces = 0;
  for (const Face& f : mesh.faces) veilFaces += f.getMatID() == 2 || f.getMatID() == 3;
  EXPECT_EQ(silk.triangles().size(), veilFaces);

  // The viewport: the ink's particles, then the silk's 500.
  const std::vector<Point3> points = viewport(0);
  ASSERT_EQ(points.size(), 1500u);
  EXPECT_EQ(ink->StatusText(), "ink 1000, silk 500");
}

TEST_F(SilkSwirlEvaluationTest, SilkOnAUvMeshLoopsWithThePeriodAndFollowsTheInkSpace) {
  INode* plane = core.CreateObjectNode(new host::PlaneObject(20.f, 20.f), L"Plane");
  plane->Transform().position.SetConstant(Point3(0, 0, 5));
  inkNode->Transform().position.SetConstant(Point3(0, 0, 2));
  pb.SetValue(pid::silkSource, 0, plane);
  pb.SetValue(pid::inkEnabled, 0, 0);
  pb.SetValue(pid::loopSeconds, 0, 2.f);
  pb.SetValue(pid::silkFray, 0, 0.f);
  const std::vector<Point3> start = viewport(0);
  ASSERT_EQ(start.size(), 500u) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "silk 500");
  const std::vector<Point3> half = viewport(30 * kFrame);
  const std::vector<Point3> loop = viewport(60 * kFrame);
  float moved = 0.f;
  for (std::size_t i = 0; i < start.size(); ++i) {
    EXPECT_NEAR(start[i].x, loop[i].x, 1e-4f);
    EXPECT_NEAR(start[i].z, loop[i].z, 1e-3f);
    moved = std::max(moved, std::fabs(start[i].z - half[i].z));
    // The plane lies 3 units above the ink's origin; the folds stay near it.
    EXPECT_NEAR(start[i].z, 3.f, 5.68f * 0.12f + 0.6f + 1e-3f);
    EXPECT_LE(std::fabs(start[i].x), 10.f + 1e-3f);
  }
  EXPECT_GT(moved, 0.05f);
}

TEST_F(SilkSwirlEvaluationTest, SilkSamplingFailuresEndTheEvaluation) {
  pb.SetValue(pid::silkSource, 0, core.CreateObjectNode(new host::PointHelper, L"Point"));
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "silk: pick a cloth source (an Iridel object or a UV mesh)");
  EXPECT_TRUE(viewport(0).empty());

  pb.SetValue(pid::silkSource, 0, core.CreateObjectNode(new host::PlaneObject, L"Plane"));
  pb.SetValue(pid::silkViewport, 0, 0);  // no particles: the silk takes no part
  ASSERT_TRUE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "ink 1000");
}

TEST_F(SilkSwirlEvaluationTest, SwirlParticlesCirculateAroundTheVortexForce) {
  INode* force = vortexNode(Point3(5, 0, 0));
  IParamBlock2& fb = *static_cast<VortexObject*>(force->GetObjectRef())->pblock2;
  fb.SetValue(vortex::param::radius, 0, 30.f);
  pb.SetValue(pid::swirlSource, 0, force);
  pb.SetValue(pid::inkEnabled, 0, 0);
  pb.SetValue(pid::swirlDensity, 0, 4.f);
  ASSERT_TRUE(evaluate(10 * kFrame, EvalMode::Render)) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "swirl 600");
  EXPECT_EQ(out.idBases[0], std::int64_t{2} << 40);
  EXPECT_FLOAT_EQ(out.weights[0], 2.f * 3.14159265f * 50.f * 50.f * 4.f / 600.f);
  EXPECT_EQ(ink->Evaluation().swirlTrack().frames.size(), 31u);  // frames 0 to the range's end

  const std::vector<Point3> a = viewport(10 * kFrame);
  const std::vector<Point3> b = viewport(11 * kFrame);
  ASSERT_EQ(a.size(), 300u) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "swirl 300");
  double moved = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    // Around the force's centre, near its sphere.
    const Point3 d = a[i] - Point3(5, 0, 0);
    EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 30.f, 3.f) << i;
    const Point3 m = b[i] - a[i];
    moved += std::sqrt(m.x * m.x + m.y * m.y + m.z * m.z);
  }
  EXPECT_GT(moved / a.size(), 0.01);
}

TEST_F(SilkSwirlEvaluationTest, SwirlSamplingAndBudgetFailuresEndTheEvaluation) {
  pb.SetValue(pid::swirlSource, 0, core.CreateObjectNode(new host::PlaneObject, L"Plane"));
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "swirl: pick a Tessaron Orb Vortex Force object");

  pb.SetValue(pid::swirlSource, 0, vortexNode(Point3(0, 0, 0)));
  setenv("ORB_INK_MAX_RESIDENT", "100", 1);
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText().rfind("swirl: 300 particles do not fit this GPU (", 0), 0u) << ink->StatusText();
}

}  // namespace
