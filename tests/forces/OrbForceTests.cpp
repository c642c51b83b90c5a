// The Particle Force: its parameter table, the field in every mode against
// the double-precision reference, its edge cases, the icon, creation and
// binding.
#include <random>

#include "forces/OrbForce.h"
#include "forces/OrbForceObject.h"
#include "tests/forces/ForceTestScene.h"

using forcetest::toPoint3;
using forcetest::toRef;
namespace op = orbforce::param;

namespace {
struct OrbForceTest : forcetest::SceneTest {
  OrbForceObject* warp = forcetest::create<OrbForceObject>(GetOrbForceDesc());
  INode* node = nullptr;
  ref::Particle model;

  void SetUp() override {
    SceneTest::SetUp();
    node = place(warp, _M("Push"), {0, 0, 0});
  }
  void set(ParamID id, double v, double& mirror) {
    warp->pblock2->SetValue(id, 0, static_cast<float>(v));
    mirror = v;
  }
  void setMode(int mode) {
    warp->pblock2->SetValue(op::mode, 0, mode);
    model.mode = mode;
  }
  void moveWarp(ref::V position, ref::V rotation) {
    node->Transform().position.SetConstant(toPoint3(position));
    node->Transform().rotation.SetConstant(toPoint3(rotation));
    model.node = ref::eulerXYZ(rotation, position);
  }
  Point3 force(TimeValue t, const Point3& x, const Point3& v = {}, int index = 0) {
    OrbForceField field(warp, node);
    return field.Force(t, x, v, index);
  }
  void expectMatchesModel(const std::string& what) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> dir(-1, 1), reach(0, 1.3);
    for (TimeValue t : {0, 777, 4800 * 3}) {
      for (int k = 0; k < 80; ++k) {
        const ref::V p = model.node.point(ref::unit({dir(rng), dir(rng), dir(rng)}) * (model.radius * reach(rng)));
        const ref::V vel{dir(rng) * 5, dir(rng) * 5, dir(rng) * 5};
        const Point3 got = force(t, toPoint3(p), toPoint3(vel), k);
        const ref::V want = model.force(toRef(toPoint3(p)), toRef(toPoint3(vel)), k, t / 4800.0);
        const double scale = model.responseScale *
                                 (std::fabs(model.strength) * std::max(model.radius, 2.0) + std::fabs(model.swirl) +
                                  std::fabs(model.axialFlow) + 2 * model.turbulence) +
                             5 * model.drag;
        forcetest::expectNear(got, want, scale, what + " t=" + std::to_string(t) + " k=" + std::to_string(k));
      }
    }
  }
};
}  // namespace

TEST(OrbForceParameterTableTest, MatchesTheStoredLayout) {
  ParamBlockDesc2& b = *GetOrbForceParamBlockDesc();
  EXPECT_EQ(b.int_name, L"TessaronOrbForceParameters");
  ASSERT_EQ(b.Rollouts().size(), 1u);
  EXPECT_EQ(b.Rollouts()[0].dialogId, 210);
  EXPECT_EQ(b.Rollouts()[0].titleId, 20);
  ASSERT_EQ(b.Count(), 14);
  const char* names[] = {"mode", "strength", "radius", "shellBand", "swirl", "axialFlow", "turbulence",
                         "turbulenceScale", "timeScale", "drag", "falloff", "seed", "iconSize", "responseScale"};
  const double defaults[] = {0, 12, 50, 8, 18, 0, 4, 0.08, 1, 0.05, 2, 42, 50, 0.01};
  const double lo[] = {0, -10000, 0.01, 0.01, -10000, -10000, 0, 0.0001, -100, 0, 0.1, 0, 0.01, 0.0001};
  const double hi[] = {3, 10000, 100000, 100000, 10000, 10000, 10000, 100, 100, 100, 10, 1000000, 100000, 10};
  for (int i = 0; i < b.Count(); ++i) {
    const ParamDef& p = b.GetParamDefByIndex(i);
    EXPECT_EQ(p.id, i);
    EXPECT_EQ(host::narrow(p.internalName), names[i]);
    EXPECT_EQ(p.labelId, 340 + i);
    EXPECT_EQ(p.type, i == op::mode || i == op::seed ? TYPE_INT : TYPE_FLOAT) << names[i];
    EXPECT_NE(p.flags & P_ANIMATABLE, 0);
    EXPECT_NEAR(p.def.number, defaults[i], 1e-7) << names[i];
    EXPECT_DOUBLE_EQ(p.range->lo, lo[i]) << names[i];
    EXPECT_DOUBLE_EQ(p.range->hi, hi[i]) << names[i];
  }
  EXPECT_STREQ(plugin::GetString(340), L"Mode (0 shell, 1 vortex, 2 attract, 3 curl)");
  EXPECT_STREQ(plugin::GetString(20), L"Tessaron Particle Force");
}

TEST_F(OrbForceTest, EveryModeMatchesTheModel) {
  for (int mode : {0, 1, 2, 3}) {
    setMode(mode);
    expectMatchesModel("mode " + std::to_string(mode));
  }
}

TEST_F(OrbForceTest, MovedWarpWithOtherSettingsMatchesTheModel) {
  moveWarp({-20, 15, 40}, {70, 10, -35});
  set(op::axialFlow, 6, model.axialFlow);
  set(op::falloff, 0.5, model.falloff);
  set(op::timeScale, -2.5, model.timeScale);
  set(op::turbulenceScale, 0.3, model.turbulenceScale);
  set(op::shellBand, 3, model.shellBand);
  warp->pblock2->SetValue(op::seed, 0, 7);
  model.seed = 7;
  for (int mode : {0, 1, 2, 3}) {
    setMode(mode);
    expectMatchesModel("moved, mode " + std::to_string(mode));
  }
}

TEST_F(OrbForceTest, OutsideTheRadiusOnlyDragActs) {
  for (int mode : {0, 1, 2, 3}) {
    setMode(mode);
    EXPECT_EQ(force(100, Point3(50.f, 0.f, 0.f)), Point3()) << mode;
    const Point3 f = force(100, Point3(0.f, 90.f, 0.f), Point3(2.f, 0.f, 0.f));
    EXPECT_FLOAT_EQ(f.x, -0.1f);
    EXPECT_EQ(f.y, 0.f);
    EXPECT_EQ(f.z, 0.f);
  }
}

TEST_F(OrbForceTest, ShellPullIsCappedByTheBand) {
  warp->pblock2->SetValue(op::swirl, 0, 0.f);
  warp->pblock2->SetValue(op::turbulence, 0, 0.f);
  warp->pblock2->SetValue(op::falloff, 0, 0.1f);
  warp->pblock2->SetValue(op::radius, 0, 100.f);
  // d = 5: 95 from the shell, capped to 8 * 12 = 96 outwards, times
  // 0.01 and the falloff (0.95^0.1).
  const Point3 f = force(0, Point3(0.f, 0.f, -5.f));
  EXPECT_NEAR(f.z, -96.0 * 0.01 * std::pow(0.95, 0.1), 1e-5);
  EXPECT_NEAR(f.x, 0, 1e-7);
  // Inside the band the pull follows the distance: d = 97, 3 * 12.
  const Point3 g = force(0, Point3(97.f, 0.f, 0.f));
  EXPECT_NEAR(g.x, 36.0 * 0.01 * std::pow(0.03, 0.1), 1e-5);
}

TEST_F(OrbForceTest, OnTheZAxisSwirlPointsAlongX) {
  setMode(2);
  warp->pblock2->SetValue(op::strength, 0, 0.f);
  warp->pblock2->SetValue(op::turbulence, 0, 0.f);
  warp->pblock2->SetValue(op::falloff, 0, 1.f);
  const Point3 f = force(0, Point3(0.f, 0.f, 25.f));
  EXPECT_NEAR(f.x, 18 * 0.01 * 0.5, 1e-6);
  EXPECT_EQ(f.y, 0.f);
  EXPECT_EQ(f.z, 0.f);
  // At the centre too (the radial direction falls back to +Z).
  EXPECT_NEAR(force(0, Point3()).x, 18 * 0.01, 1e-6);
  // Off the axis it runs around Z: at +Y the swirl is -X.
  EXPECT_NEAR(force(0, Point3(0.f, 25.f, 0.f)).x, -18 * 0.01 * 0.5, 1e-6);
}

TEST_F(OrbForceTest, CurlWithOpposedStrengthAndSwirlLeavesOnlyTurbulenceAndDrag) {
  setMode(3);
  warp->pblock2->SetValue(op::strength, 0, -18.f);
  warp->pblock2->SetValue(op::axialFlow, 0, 50.f);  // not used by the curl
  warp->pblock2->SetValue(op::turbulence, 0, 0.f);
  EXPECT_EQ(force(300, Point3(10.f, 5.f, -3.f)), Point3());
  // With turbulence back on, the force is the model's turbulence term.
  warp->pblock2->SetValue(op::turbulence, 0, 4.f);
  model.mode = 3;
  model.strength = -18;
  model.axialFlow = 50;
  const ref::V want = model.force({10, 5, -3}, {1, 1, 1}, 9, 300 / 4800.0);
  forcetest::expectNear(force(300, Point3(10.f, 5.f, -3.f), Point3(1.f, 1.f, 1.f), 9), want, 0.1, "curl");
}

TEST_F(OrbForceTest, IndicesDifferOnlyThroughTurbulence) {
  const Point3 x(10.f, -12.f, 4.f);
  EXPECT_NE(force(50, x, {}, 0), force(50, x, {}, 500));
  warp->pblock2->SetValue(op::turbulence, 0, 0.f);
  EXPECT_EQ(force(50, x, {}, 0), force(50, x, {}, 500));
}

TEST_F(OrbForceTest, FieldWithoutANodeWorksInWorldSpace) {
  OrbForceField field(warp, nullptr);
  const ref::V want = model.force({5, 6, 7}, {}, 0, 0);
  forcetest::expectNear(field.Force(0, Point3(5.f, 6.f, 7.f), Point3(), 0), want, 10, "no node");
}

TEST_F(OrbForceTest, IconCreationAndBinding) {
  EXPECT_STREQ(warp->GetObjectName(), L"Tessaron Orb Particle Force");
  Object* converted = warp->ConvertToType(0, triObjectClassID);
  auto* tri = dynamic_cast<TriObject*>(converted);
  ASSERT_TRUE(tri);
  EXPECT_EQ(tri->mesh.getNumVerts(), 6);
  EXPECT_EQ(tri->mesh.getNumFaces(), 8);
  EXPECT_EQ(tri->mesh.verts[4], Point3(0.f, 50.f, 0.f));
  converted->DeleteThis();

  const host::CreationResult r = host::driveCreation(warp->GetCreateMouseCallBack(), {{1, 1}, {4, 5}});
  EXPECT_EQ(r.result, CREATE_STOP);
  EXPECT_FLOAT_EQ(warp->pblock2->GetFloat(op::iconSize), 5.f);
  EXPECT_FLOAT_EQ(warp->pblock2->GetFloat(op::radius), 50.f);
  EXPECT_EQ(host::abortCreation(warp->GetCreateMouseCallBack()), CREATE_ABORT);

  Modifier* mod = warp->CreateWSMMod(node);
  ASSERT_TRUE(dynamic_cast<OrbForceMod*>(mod));
  EXPECT_EQ(mod->SuperClassID(), WSM_CLASS_ID);
  EXPECT_EQ(mod->GetReference(1), node);
  mod->DeleteThis();
  EXPECT_EQ(node->GetObjectRef(), warp);
  ForceField* field = warp->GetForceField(node);
  ASSERT_TRUE(field);
  field->DeleteThis();
}
