// The Vortex Force's field: hashes and axes, the force against the
// double-precision reference, and its edge cases.
#include <random>

#include "forces/VortexEval.h"
#include "forces/VortexObject.h"
#include "tests/forces/ForceTestScene.h"
#include "util/Hash.h"

using forcetest::toPoint3;
using forcetest::toRef;
namespace vp = vortex::param;

namespace {

struct VortexForceTest : forcetest::SceneTest {
  VortexObject* warp = forcetest::create<VortexObject>(GetVortexDesc());
  INode* node = nullptr;
  ref::Vortex model;

  void SetUp() override {
    SceneTest::SetUp();
    node = place(warp, _M("Swirl"), {0, 0, 0});
  }
  void setFloat(ParamID id, double v, double& mirror) {
    warp->pblock2->SetValue(id, 0, static_cast<float>(v));
    mirror = v;
  }
  void moveWarp(ref::V position, ref::V rotation) {
    node->Transform().position.SetConstant(toPoint3(position));
    node->Transform().rotation.SetConstant(toPoint3(rotation));
    model.node = ref::eulerXYZ(rotation, position);
  }
  INode* addSeed(const MCHAR* name, ref::V position, const MSTR& props = {}) {
    INode* seed = place(nullptr, name, position);
    seed->SetUserPropBuffer(props);
    warp->pblock2->Append(vp::seedObjects, 1, &seed);
    ref::Seed s{position};
    float v;
    if (seed->GetUserPropFloat(_M("swirl"), v)) s.swirl = v;
    if (seed->GetUserPropFloat(_M("attract"), v)) s.attract = v;
    if (seed->GetUserPropFloat(_M("spread"), v)) s.spread = v;
    if (seed->GetUserPropFloat(_M("eye"), v)) s.eye = v;
    if (seed->GetUserPropFloat(_M("on"), v)) s.on = v;
    model.seeds.push_back(s);
    return seed;
  }
  Point3 force(TimeValue t, const Point3& x, const Point3& v, int index) {
    VortexField field(warp, node);
    return field.Force(t, x, v, index);
  }
  // Compares the field with the model at points around the sphere, near
  // and away from its surface, at several times.
  void expectMatchesModel(const std::string& what) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dir(-1, 1), shell(0.6, 1.4);
    for (TimeValue t : {0, 1234, 4800 * 5}) {
      for (int k = 0; k < 60; ++k) {
        ref::V p = ref::unit({dir(rng), dir(rng), dir(rng)}) * (model.radius * shell(rng));
        p = model.node.point(p);
        const ref::V vel{dir(rng) * 10, dir(rng) * 10, dir(rng) * 10};
        const Point3 got = force(t, toPoint3(p), toPoint3(vel), k);
        const ref::V want = model.force(toRef(toPoint3(p)), toRef(toPoint3(vel)), k, t / 4800.0);
        // Force terms reach radius * hold, swirl and turbulence, before the scale.
        const double scale = model.responseScale * (model.radius * model.surfaceHold + std::fabs(model.swirl) +
                                                    std::fabs(model.attraction) + 2 * model.turbulence) +
                             10 * model.drag;
        forcetest::expectNear(got, want, scale, what + " t=" + std::to_string(t) + " k=" + std::to_string(k));
      }
    }
  }
};

}  // namespace

TEST(VortexHashTest, HandComputedValues) {
  // 42 * 0x8DA6B343 = 99813517566 = 23 * 2^32 + 0x3D5968FE.
  EXPECT_EQ(vortex::seedBase(42), 0x3D5968FEu);
  EXPECT_EQ(vortex::seedBase(0), 0u);
  // x = 0x3D5968FE ^ 0xE89B89C7 = 0xD5C2E139; (x ^ x >> 13) * 0x5BD1E995 = 0x15E0F3C6.
  EXPECT_EQ(util::latticeMix(0x3D5968FEu ^ 0xE89B89C7u), 0x15E0F3C6u);
  // (h ^ h >> 15) & 0xFFFFFF = 14735367, / 2^24.
  EXPECT_FLOAT_EQ(util::latticeUnit(0x15E0F3C6u), 14735367.f / 16777216.f);
  EXPECT_LT(util::latticeUnit(0xFFFFFFFFu), 1.f);
  EXPECT_EQ(util::latticeUnit(0u), 0.f);
}

TEST(VortexAxisTest, SingleVortexWithoutWanderIsTheTurnedFibonacciPoint) {
  // z = 0, angle 2 pi u1, turned about Z by 2 pi u2, then about X by 2 (u3 - 0.5),
  // with u1 = 0.8782963, u2 = 0.2103620, u3 = 0.6238466 for seed 42.
  const orb::Vec a = vortex::generatedAxis(vortex::seedBase(42), 0, 1, 0.f, 9.f, 3.f);
  EXPECT_NEAR(a.x, 0.8488151, 2e-6);
  EXPECT_NEAR(a.y, 0.5125546, 2e-6);
  EXPECT_NEAR(a.z, 0.1296179, 2e-6);
}

TEST(VortexAxisTest, AxesAgreeWithTheModelAndRepeatEveryLoop) {
  for (int g : {1, 2, 10, 64}) {
    for (int i = 0; i < g; ++i) {
      for (double tau : {0.0, 1.7, 8.9}) {
        const orb::Vec a = vortex::generatedAxis(vortex::seedBase(7), i, g, 1.3f, 9.f, static_cast<float>(tau));
        const ref::V r = ref::generatedAxis(7, i, g, 1.3f, 9, tau);
        EXPECT_NEAR(a.x, r.x, 1e-5);
        EXPECT_NEAR(a.y, r.y, 1e-5);
        EXPECT_NEAR(a.z, r.z, 1e-5);
        EXPECT_NEAR(util::length(a), 1.f, 1e-6);
        const orb::Vec later = vortex::generatedAxis(vortex::seedBase(7), i, g, 1.3f, 9.f, static_cast<float>(tau + 9));
        EXPECT_NEAR(later.x, a.x, 1e-4);
        EXPECT_NEAR(later.y, a.y, 1e-4);
        EXPECT_NEAR(later.z, a.z, 1e-4);
      }
    }
  }
}

TEST_F(VortexForceTest, DefaultsMatchTheModel) { expectMatchesModel("defaults"); }

TEST_F(VortexForceTest, TranslatedAndRotatedWarpMatchesTheModel) {
  moveWarp({12, -30, 7.5}, {30, -45, 110});
  expectMatchesModel("moved");
}

TEST_F(VortexForceTest, SeedObjectsWithUserPropertiesMatchTheModel) {
  moveWarp({5, 6, -7}, {0, 20, 40});
  addSeed(_M("A"), {60, 6, -7}, _M("swirl = -2\r\nattract = 3\r\nspread = 12\r\neye = 0.5\r\n"));
  addSeed(_M("B"), {5, 80, 30}, _M("on = 0\r\n"));
  addSeed(_M("C"), {5, 6, 100});
  setFloat(vp::partition, 4, model.partition);
  expectMatchesModel("seeds");
}

TEST_F(VortexForceTest, OtherSettingsMatchTheModel) {
  setFloat(vp::swirl, -300, model.swirl);
  setFloat(vp::attraction, 40, model.attraction);
  setFloat(vp::spread, 90, model.spread);
  setFloat(vp::eye, 0.9, model.eye);
  setFloat(vp::wander, 2, model.wander);
  setFloat(vp::loopSeconds, 0.5, model.loopSeconds);
  setFloat(vp::turbulence, 0, model.turbulence);
  warp->pblock2->SetValue(vp::vortexCount, 0, 64);
  model.vortexCount = 64;
  warp->pblock2->SetValue(vp::seed, 0, 999);
  model.seed = 999;
  expectMatchesModel("other settings");
}

TEST_F(VortexForceTest, PartitionZeroGivesEveryVortexEqualWeight) {
  setFloat(vp::partition, 0, model.partition);
  expectMatchesModel("partition 0");
}

TEST_F(VortexForceTest, CentreFeelsOnlyDrag) {
  EXPECT_EQ(force(0, Point3(), Point3(), 0), Point3());
  const Point3 f = force(0, Point3(0.f, 0.f, 1e-6f), Point3(2.f, -4.f, 0.f), 3);
  EXPECT_FLOAT_EQ(f.x, -0.3f);
  EXPECT_FLOAT_EQ(f.y, 0.6f);
  EXPECT_FLOAT_EQ(f.z, 0.f);
}

TEST_F(VortexForceTest, WithoutSwirlAttractionAndTurbulenceOnlyTheSurfaceSpringAndDragAct) {
  warp->pblock2->SetValue(vp::swirl, 0, 0.f);
  warp->pblock2->SetValue(vp::attraction, 0, 0.f);
  warp->pblock2->SetValue(vp::turbulence, 0, 0.f);
  // Inside at d = 30: (50 - 30) * 4 * 0.01 = 0.8 outwards; outside at d = 80: 1.2 inwards.
  const Point3 in = force(0, Point3(0.f, 18.f, 24.f), Point3(), 0);
  EXPECT_NEAR(in.x, 0, 1e-6);
  EXPECT_NEAR(in.y, 0.8 * 0.6, 1e-6);
  EXPECT_NEAR(in.z, 0.8 * 0.8, 1e-6);
  const Point3 out = force(0, Point3(80.f, 0.f, 0.f), Point3(1.f, 0.f, 0.f), 0);
  EXPECT_NEAR(out.x, -1.2 - 0.15, 1e-6);
  EXPECT_EQ(force(0, Point3(50.f, 0.f, 0.f), Point3(), 0), Point3());
}

TEST_F(VortexForceTest, AnOffSeedAddsNoSwirl) {
  warp->pblock2->SetValue(vp::turbulence, 0, 0.f);
  warp->pblock2->SetValue(vp::vortexCount, 0, 1);
  const Point3 without = force(0, Point3(3.f, 0.f, 45.f), Point3(), 0);
  addSeed(_M("Off"), {0, 0, 100}, _M("on = 0\r\n"));
  EXPECT_LT((force(0, Point3(3.f, 0.f, 45.f), Point3(), 0) - without).Length(), 1e-6f);
  // The same seed switched on swirls particles near its axis.
  warp->pblock2->SetValue(vp::seedObjects, 0, static_cast<INode*>(nullptr));
  addSeed(_M("On"), {0, 0, 100});
  EXPECT_GT((force(0, Point3(3.f, 0.f, 45.f), Point3(), 0) - without).Length(), 0.01f);
}

TEST_F(VortexForceTest, ParticlesWithDifferentIndicesDifferOnlyByTurbulence) {
  const Point3 x(20.f, 30.f, -10.f);
  EXPECT_NE(force(100, x, Point3(), 0), force(100, x, Point3(), 1000));
  warp->pblock2->SetValue(vp::turbulence, 0, 0.f);
  EXPECT_EQ(force(100, x, Point3(), 0), force(100, x, Point3(), 1000));
}
