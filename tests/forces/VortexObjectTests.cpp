// The Vortex Force object as the host sees it: its parameter table, the
// vortex list, the per-time cache under concurrent use, sampling for the
// ink, the icon, creation and binding.
#include <cstddef>
#include <thread>
#include <vector>

#include "forces/VortexObject.h"
#include "forces/Warp.h"
#include "tests/forces/ForceTestScene.h"

namespace vp = vortex::param;

namespace {
struct VortexObjectTest : forcetest::SceneTest {
  VortexObject* warp = forcetest::create<VortexObject>(GetVortexDesc());
  INode* node = nullptr;
  void SetUp() override {
    SceneTest::SetUp();
    node = place(warp, _M("Swirl"), {10, 0, 0});
  }
  INode* addSeed(ref::V position, const MSTR& props = {}) {
    INode* seed = place(nullptr, _M("Seed"), position);
    seed->SetUserPropBuffer(props);
    warp->pblock2->Append(vp::seedObjects, 1, &seed);
    return seed;
  }
  vortex::VortexEval eval(TimeValue t = 0) {
    vortex::VortexEval e;
    vortex::readVortexEval(*warp->pblock2, t, Inverse(node->GetNodeTM(t)), e);
    return e;
  }
};
}  // namespace

TEST(VortexParameterTableTest, MatchesTheStoredLayout) {
  ParamBlockDesc2& b = *GetVortexParamBlockDesc();
  EXPECT_EQ(b.int_name, L"TessaronOrbVortexParameters");
  EXPECT_EQ(b.ID, 0);
  EXPECT_EQ(b.flags & (P_AUTO_CONSTRUCT | P_AUTO_UI), P_AUTO_CONSTRUCT | P_AUTO_UI);
  ASSERT_EQ(b.Rollouts().size(), 1u);
  EXPECT_EQ(b.Rollouts()[0].dialogId, 211);
  EXPECT_EQ(b.Rollouts()[0].titleId, 21);
  ASSERT_EQ(b.Count(), 16);
  const char* names[] = {"radius", "vortexCount", "swirl", "attraction", "spread", "partition", "eye", "surfaceHold",
                         "drag", "wander", "loopSeconds", "turbulence", "seed", "iconSize", "responseScale",
                         "seedObjects"};
  const double defaults[] = {50, 10, 24, 0.5, 30, 2, 0.25, 4, 0.15, 0.5, 9, 8, 42, 50, 0.01};
  const double lo[] = {0.01, 1, -1000, -1000, 1, 0, 0.01, 0, 0, 0, 0.1, 0, 0, 0.01, 0.0001};
  const double hi[] = {100000, 64, 1000, 1000, 180, 16, 1, 1000, 10, 2, 3600, 1000, 1000000, 100000, 100};
  for (int i = 0; i < b.Count(); ++i) {
    const ParamDef& p = b.GetParamDefByIndex(i);
    EXPECT_EQ(p.id, i);
    EXPECT_EQ(host::narrow(p.internalName), names[i]);
    EXPECT_EQ(p.labelId, 300 + i);
    if (i == vp::seedObjects) {
      EXPECT_EQ(p.type, TYPE_INODE_TAB);
      EXPECT_EQ(p.flags & P_ANIMATABLE, 0);
      continue;
    }
    EXPECT_EQ(p.type, i == vp::vortexCount || i == vp::seed ? TYPE_INT : TYPE_FLOAT) << names[i];
    EXPECT_NE(p.flags & P_ANIMATABLE, 0);
    EXPECT_NEAR(p.def.number, defaults[i], 1e-7) << names[i];
    EXPECT_DOUBLE_EQ(p.range->lo, lo[i]) << names[i];
    EXPECT_DOUBLE_EQ(p.range->hi, hi[i]) << names[i];
  }
  EXPECT_STREQ(plugin::GetString(315), L"Seed objects");
  EXPECT_STREQ(plugin::GetString(306), L"Vortex eye (rigid core)");
}

TEST_F(VortexObjectTest, NamesAndClass) {
  EXPECT_STREQ(warp->GetObjectName(), L"Tessaron Orb Vortex Force");
  EXPECT_EQ(warp->ClassID(), VORTEX_CLASS_ID);
  EXPECT_EQ(warp->SuperClassID(), WSM_OBJECT_CLASS_ID);
}

TEST_F(VortexObjectTest, SeedVorticesComeFirstFromTheWarpsCentre) {
  addSeed({10, 0, 90}, _M("swirl = 2\r\nattract = -1\r\nspread = 15\r\neye = 0.3\r\non = 0.4\r\n"));
  warp->pblock2->Append(vp::seedObjects, 1, std::vector<INode*>{nullptr}.data());  // an empty entry is skipped
  addSeed({10, 0, 0});                                                               // at the centre: +Z
  addSeed({10, -5, 0}, _M("on = 0.6\r\nswirl = abc\r\n"));
  const vortex::VortexEval e = eval();
  ASSERT_EQ(e.seedCount, 3);
  EXPECT_EQ(e.generated, 10);
  EXPECT_EQ(e.axisCount, 13);
  EXPECT_EQ(e.seeds[0].axis, (orb::Vec{0, 0, 1}));
  EXPECT_FLOAT_EQ(e.seeds[0].swirl, 2.f);
  EXPECT_FLOAT_EQ(e.seeds[0].attraction, -1.f);
  EXPECT_FLOAT_EQ(e.seeds[0].spread, 15.f);
  EXPECT_FLOAT_EQ(e.seeds[0].eye, 0.3f);
  EXPECT_FALSE(e.seeds[0].on);
  EXPECT_EQ(e.seeds[1].axis, (orb::Vec{0, 0, 1}));
  EXPECT_TRUE(e.seeds[1].on);
  EXPECT_FLOAT_EQ(e.seeds[1].swirl, 1.f);
  EXPECT_EQ(e.seeds[2].axis, (orb::Vec{0, -1, 0}));
  EXPECT_TRUE(e.seeds[2].on);
  EXPECT_FLOAT_EQ(e.seeds[2].swirl, 1.f);  // unreadable: the default
  for (int j = 0; j < 3; ++j) EXPECT_EQ(e.axes[j], e.seeds[j].axis);
  const orb::Vec g0 = vortex::generatedAxis(vortex::seedBase(42), 0, 10, 0.5f, 9.f, 0.f);
  EXPECT_EQ(e.axes[3], g0);
}

TEST_F(VortexObjectTest, SixtySeedsAndTenGeneratedMakeSixtyFour) {
  for (int i = 0; i < 70; ++i) addSeed({10.0 + i, 1, 2});
  vortex::VortexEval e = eval();
  EXPECT_EQ(e.seedCount, 64);
  EXPECT_EQ(e.axisCount, 64);
  warp->pblock2->SetCount(vp::seedObjects, 60);
  e = eval(2400);
  EXPECT_EQ(e.seedCount, 60);
  EXPECT_EQ(e.generated, 10);
  ASSERT_EQ(e.axisCount, 64);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(e.axes[60 + i], vortex::generatedAxis(vortex::seedBase(42), i, 10, 0.5f, 9.f, 0.5f)) << i;
}

TEST_F(VortexObjectTest, CountBelowOneStillLeavesOneVortex) {
  warp->pblock2->SetValue(vp::vortexCount, 0, 0);  // the block keeps it at 1
  vortex::VortexEval e = eval();
  EXPECT_EQ(e.generated, 1);
  EXPECT_EQ(e.axisCount, 1);
  warp->pblock2->SetValue(vp::vortexCount, 0, 500);
  EXPECT_EQ(eval().generated, 64);
}

TEST_F(VortexObjectTest, CacheIsReusedAtOneTimeAndClearedByAChange) {
  auto a = warp->EvaluateAt(node, 160);
  EXPECT_EQ(warp->EvaluateAt(node, 160), a);
  EXPECT_NE(warp->EvaluateAt(node, 320), a);
  EXPECT_NE(warp->EvaluateAt(nullptr, 320)->inverseNodeTM, warp->EvaluateAt(node, 320)->inverseNodeTM);
  auto before = warp->EvaluateAt(node, 320);
  warp->pblock2->SetValue(vp::swirl, 0, 5.f);
  auto after = warp->EvaluateAt(node, 320);
  EXPECT_NE(after, before);
  EXPECT_FLOAT_EQ(after->eval.swirl, 5.f);
  EXPECT_FLOAT_EQ(before->eval.swirl, 24.f);  // holders keep their own copy
}

TEST_F(VortexObjectTest, ManyThreadsAtDifferentTimesAgreeWithSerialEvaluation) {
  addSeed({10, 40, 0}, _M("swirl = 3\r\n"));
  constexpr int kThreads = 8, kPerThread = 400;
  auto point = [](int k) {
    return Point3(30.f * std::sin(0.1f * k), 45.f * std::cos(0.37f * k), 20.f * std::sin(0.05f * k));
  };
  auto timeOf = [](int thread, int k) { return static_cast<TimeValue>(160 * ((thread + k) % 5)); };
  std::vector<Point3> serial(kThreads * kPerThread), parallel(kThreads * kPerThread);
  VortexField field(warp, node);
  for (int th = 0; th < kThreads; ++th)
    for (int k = 0; k < kPerThread; ++k)
      serial[th * kPerThread + k] = field.Force(timeOf(th, k), point(k), Point3(1.f, 2.f, 3.f), k);
  std::vector<std::thread> threads;
  for (int th = 0; th < kThreads; ++th)
    threads.emplace_back([&, th] {
      VortexField own(warp, node);
      for (int k = 0; k < kPerThread; ++k)
        parallel[th * kPerThread + k] = own.Force(timeOf(th, k), point(k), Point3(1.f, 2.f, 3.f), k);
    });
  for (std::thread& t : threads) t.join();
  for (std::size_t i = 0; i < serial.size(); ++i) ASSERT_EQ(parallel[i], serial[i]) << i;
}

TEST_F(VortexObjectTest, SampleFillsTheFrameAndTheTransform) {
  warp->pblock2->SetValue(vp::spread, 0, 1.f);
  addSeed({10, 0, 50}, _M("spread = 20\r\neye = 0.4\r\nswirl = 2\r\nattract = 0.5\r\non = 0\r\n"));
  addSeed({10, 50, 0});
  swirl::Frame f{};
  Matrix3 tm;
  ASSERT_TRUE(sampleVortexForce(node, 4800, f, tm));
  EXPECT_EQ(tm, node->GetNodeTM(4800));
  EXPECT_FLOAT_EQ(f.radius, 50.f);
  EXPECT_FLOAT_EQ(f.spread, 1.f * 3.14159265f / 180.f);
  EXPECT_FLOAT_EQ(f.responseScale, 0.01f);
  EXPECT_FLOAT_EQ(f.loopSeconds, 9.f);
  ASSERT_EQ(f.count, 12);
  EXPECT_EQ(f.vortices[0].axis, (orb::Vec{0, 0, 1}));
  EXPECT_FLOAT_EQ(f.vortices[0].spread, 20.f * 3.14159265f / 180.f);
  EXPECT_FLOAT_EQ(f.vortices[0].eye, 0.4f);
  EXPECT_FLOAT_EQ(f.vortices[0].swirl, 2.f);
  EXPECT_FLOAT_EQ(f.vortices[0].attraction, 0.5f);
  EXPECT_EQ(f.vortices[0].on, 0);
  EXPECT_EQ(f.vortices[0].isSeed, 1);
  EXPECT_EQ(f.vortices[1].spread, 0.f);
  EXPECT_EQ(f.vortices[1].eye, 0.f);
  EXPECT_EQ(f.vortices[1].on, 1);
  const swirl::Vortex& g = f.vortices[2];
  EXPECT_EQ(g.axis, vortex::generatedAxis(vortex::seedBase(42), 0, 10, 0.5f, 9.f, 1.f));
  EXPECT_EQ(g.swirl, 1.f);
  EXPECT_EQ(g.attraction, 1.f);
  EXPECT_EQ(g.spread, 0.f);
  EXPECT_EQ(g.eye, 0.f);
  EXPECT_EQ(g.on, 1);
  EXPECT_EQ(g.isSeed, 0);
  EXPECT_EQ(f.vortices[12].on, 0);  // unused slots stay zero
  // Half a degree at least.
  warp->pblock2->SetValue(vp::spread, 0, 0.1f);  // clamped to 1 by the block
  ASSERT_TRUE(sampleVortexForce(node, 0, f, tm));
  EXPECT_FLOAT_EQ(f.spread, 3.14159265f / 180.f);
}

TEST_F(VortexObjectTest, SampleFailsWithoutAVortexForce) {
  swirl::Frame f{};
  Matrix3 tm;
  EXPECT_FALSE(sampleVortexForce(nullptr, 0, f, tm));
  EXPECT_FALSE(sampleVortexForce(place(nullptr, _M("Empty"), {}), 0, f, tm));
  EXPECT_FALSE(sampleVortexForce(place(forcetest::create<OrbForceObject>(GetOrbForceDesc()), _M("Other"), {}), 0, f, tm));
}

TEST(SwirlFrameTest, FieldsAreInTheKernelsOrder) {
  EXPECT_EQ(offsetof(swirl::Frame, radius), 0u);
  EXPECT_EQ(offsetof(swirl::Frame, responseScale), 40u);
  EXPECT_EQ(offsetof(swirl::Frame, count), 44u);
  EXPECT_EQ(offsetof(swirl::Frame, vortices), 48u);
  EXPECT_EQ(sizeof(swirl::Vortex), 36u);
  EXPECT_EQ(offsetof(swirl::Vortex, on), 28u);
  EXPECT_EQ(offsetof(swirl::Vortex, isSeed), 32u);
  EXPECT_EQ(sizeof(swirl::Frame), 48u + 64u * 36u);
}

TEST_F(VortexObjectTest, IconIsTheOctahedronWithAMarkerPerVortex) {
  warp->pblock2->SetValue(vp::iconSize, 0, 20.f);
  warp->pblock2->SetValue(vp::vortexCount, 0, 3);
  addSeed({10, 0, -5});
  Object* converted = warp->ConvertToType(0, triObjectClassID);
  auto* tri = dynamic_cast<TriObject*>(converted);
  ASSERT_TRUE(tri);
  const Mesh& m = tri->mesh;
  ASSERT_EQ(m.getNumVerts(), 6 + 4 * 4);
  ASSERT_EQ(m.getNumFaces(), 8 + 4 * 4);
  EXPECT_EQ(m.verts[0], Point3(0.f, 0.f, 20.f));
  EXPECT_EQ(m.verts[3], Point3(-20.f, 0.f, 0.f));
  EXPECT_EQ(m.faces[1].v[0], 0u);
  EXPECT_EQ(m.faces[1].v[1], 4u);
  EXPECT_EQ(m.faces[1].v[2], 3u);
  // The seed's marker sits at -Z (its direction from the warp's node).
  EXPECT_NEAR(m.verts[6].x, 1.2f, 1e-6);
  EXPECT_NEAR(m.verts[6].z, -20.f, 1e-5);
  EXPECT_NEAR(m.verts[9].z, -20.f + 0.084f * 20.f, 1e-5);
  EXPECT_NEAR(m.verts[7].y, 0.0522f * 20.f, 1e-6);
  EXPECT_EQ(m.faces[9].v[1], 9u);  // (0, 3, 1) of the first marker
  for (const Face& f : m.faces) {
    EXPECT_EQ(f.smGroup, 0u);
    for (int e = 0; e < 3; ++e) EXPECT_TRUE(f.getEdgeVis(e));
  }
  EXPECT_TRUE(warp->ivalid.InInterval(0));
  EXPECT_FALSE(warp->ivalid.InInterval(1));
  converted->DeleteThis();
}

TEST(WarpIconTest, SizeIsAtLeastAHundredth) {
  Mesh m;
  forces::buildWarpIcon(m, -4.f);
  ASSERT_EQ(m.getNumVerts(), 6);
  EXPECT_FLOAT_EQ(m.verts[2].x, 0.01f);
}

TEST_F(VortexObjectTest, CreationSetsIconSizeAndRadiusByDragging) {
  host::CreationResult r = host::driveCreation(warp->GetCreateMouseCallBack(), {{3, 4}});
  EXPECT_EQ(r.result, CREATE_STOP);
  EXPECT_EQ(r.mat.GetTrans(), Point3(3.f, 4.f, 0.f));
  EXPECT_FLOAT_EQ(warp->pblock2->GetFloat(vp::iconSize), 0.01f);
  r = host::driveCreation(warp->GetCreateMouseCallBack(), {{3, 4}, {6, 8}, {9, 12}});
  EXPECT_EQ(r.result, CREATE_STOP);
  EXPECT_FLOAT_EQ(warp->pblock2->GetFloat(vp::iconSize), 10.f);
  EXPECT_FLOAT_EQ(warp->pblock2->GetFloat(vp::radius), 10.f);
  EXPECT_EQ(host::abortCreation(warp->GetCreateMouseCallBack()), CREATE_ABORT);
}

TEST_F(VortexObjectTest, BindingMakesAModifierThatLeavesPointsAlone) {
  Modifier* mod = warp->CreateWSMMod(node);
  auto* vm = dynamic_cast<VortexMod*>(mod);
  ASSERT_TRUE(vm);
  EXPECT_EQ(vm->SuperClassID(), WSM_CLASS_ID);
  EXPECT_EQ(vm->GetReference(1), node);
  EXPECT_EQ(vm->GetReference(0), warp);
  TriObject tri;
  tri.mesh.setNumVerts(2);
  tri.mesh.verts[1] = Point3(1.f, 2.f, 3.f);
  vm->ModifyObject(0, tri);
  EXPECT_EQ(tri.mesh.verts[1], Point3(1.f, 2.f, 3.f));
  RemapDir remap;
  auto* copy = dynamic_cast<VortexMod*>(vm->Clone(remap));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetReference(1), node);
  copy->DeleteThis();
  vm->DeleteThis();
  // Dropping the bindings leaves the scene's node and warp in place.
  ASSERT_EQ(core.GetINodeByName(_M("Swirl")), node);
  EXPECT_EQ(node->GetObjectRef(), warp);
  ForceField* field = warp->GetForceField(node);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->Force(0, Point3(10.f, 0.f, 0.f), Point3(), 0), Point3());  // the warp's centre
  field->DeleteThis();
}
