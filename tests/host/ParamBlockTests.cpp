// Parameter blocks: defaults, range clamping, typed access, change messages,
// keys, tables, references, reset and clone.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Material.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"

using namespace hosttest;

namespace {
constexpr TimeValue kTicks = 160;  // one frame at 30 fps

struct ParamBlockTest : ::testing::Test {
  Widget* widget = new Widget();
  IParamBlock2& pb = *widget->pblock2;
  void TearDown() override {
    AnimateOff();
    widget->DeleteThis();
  }
};
}  // namespace

TEST_F(ParamBlockTest, StartsAtDefaultsOfEveryType) {
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 10.f);
  EXPECT_EQ(pb.GetInt(kCount), 3);
  EXPECT_EQ(pb.GetInt(kEnabled), 1);
  EXPECT_EQ(pb.GetColor(kTint), Color(1.f, 0.5f, 0.25f));
  EXPECT_EQ(pb.GetINode(kTarget), nullptr);
  EXPECT_EQ(pb.Count(kSources), 0);
  EXPECT_STREQ(pb.GetStr(kNote), L"");
}

TEST_F(ParamBlockTest, WritesClampToTheDeclaredRange) {
  EXPECT_TRUE(pb.SetValue(kSize, 0, 1000.f));
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 100.f);
  pb.SetValue(kSize, 0, -3.f);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 0.5f);
  pb.SetValue(kCount, 0, 99);
  EXPECT_EQ(pb.GetInt(kCount), 8);
  pb.SetValue(kCount, 0, 4.9f);  // integers take the truncated value
  EXPECT_EQ(pb.GetInt(kCount), 4);
  pb.SetValue(kEnabled, 0, 7);
  EXPECT_EQ(pb.GetInt(kEnabled), 1);
}

TEST_F(ParamBlockTest, RefusesWrongTypesUnknownIdsAndNonFiniteValues) {
  EXPECT_FALSE(pb.SetValue(kTint, 0, 1.f));
  EXPECT_FALSE(pb.SetValue(kSize, 0, Point3(1.f, 2.f, 3.f)));
  EXPECT_FALSE(pb.SetValue(kSize, 0, static_cast<INode*>(nullptr)));
  EXPECT_FALSE(pb.SetValue(static_cast<ParamID>(77), 0, 1.f));
  EXPECT_FALSE(pb.SetValue(kSize, 0, std::numeric_limits<float>::quiet_NaN()));
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 10.f);
  Point3 p;
  Interval iv = FOREVER;
  EXPECT_FALSE(pb.GetValue(kSize, 0, p, iv));
  EXPECT_FALSE(pb.GetValue(kSources, 0, p, iv, 5));
}

TEST_F(ParamBlockTest, EveryWriteTellsTheOwnerAndEmptiesItsValidity) {
  widget->UpdateMesh(0);
  ASSERT_TRUE(widget->ivalid.InInterval(0));
  const int before = widget->changeMessages;
  pb.SetValue(kSize, 0, 20.f);
  pb.SetValue(kTint, 0, Color(0, 0, 0));
  pb.SetValue(kNote, 0, L"hello");
  EXPECT_EQ(widget->changeMessages, before + 3);
  EXPECT_TRUE(widget->ivalid.Empty());
  widget->UpdateMesh(0);
  EXPECT_EQ(widget->builds, 2);
}

TEST_F(ParamBlockTest, KeysInterpolateLinearlyAndHoldOutsideTheirRange) {
  AnimateOn();
  pb.SetValue(kSize, 0, 10.f);
  pb.SetValue(kSize, 10 * kTicks, 20.f);
  AnimateOff();
  EXPECT_EQ(pb.KeyCount(kSize), 2);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 5 * kTicks), 15.f);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, -100), 10.f);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 99 * kTicks), 20.f);

  Interval iv = FOREVER;
  float v;
  pb.GetValue(kSize, 5 * kTicks, v, iv);
  EXPECT_EQ(iv, Interval(5 * kTicks, 5 * kTicks));
  iv = FOREVER;
  pb.GetValue(kSize, 20 * kTicks, v, iv);
  EXPECT_EQ(iv, Interval(10 * kTicks, TIME_PosInfinity));
}

TEST_F(ParamBlockTest, KeyedColoursBlendPerChannel) {
  AnimateOn();
  pb.SetValue(kTint, 0, Color(0, 0, 0));
  pb.SetValue(kTint, 4 * kTicks, Color(1, 0.5f, 0.25f));
  AnimateOff();
  const Color mid = pb.GetColor(kTint, 2 * kTicks);
  EXPECT_FLOAT_EQ(mid.r, 0.5f);
  EXPECT_FLOAT_EQ(mid.g, 0.25f);
  EXPECT_FLOAT_EQ(mid.b, 0.125f);
}

TEST_F(ParamBlockTest, WritingAKeyedValueOutsideAnimateModeMovesTheKeyOrShiftsTheCurve) {
  AnimateOn();
  pb.SetValue(kSize, 0, 10.f);
  pb.SetValue(kSize, 10 * kTicks, 20.f);
  AnimateOff();
  pb.SetValue(kSize, 10 * kTicks, 30.f);  // a key exists there: it changes alone
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 0), 10.f);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 10 * kTicks), 30.f);
  pb.SetValue(kSize, 5 * kTicks, 25.f);  // between keys: the whole curve moves by +5
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 0), 15.f);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 10 * kTicks), 35.f);
  EXPECT_EQ(pb.KeyCount(kSize), 2);
}

TEST_F(ParamBlockTest, NonAnimatableParametersIgnoreAnimateMode) {
  AnimateOn();
  pb.SetValue(kCount, 5 * kTicks, 6);
  AnimateOff();
  EXPECT_EQ(pb.KeyCount(kCount), 0);
  EXPECT_EQ(pb.GetInt(kCount, 0), 6);
}

TEST_F(ParamBlockTest, NodeTablesAppendDeleteAndRejectBadRanges) {
  INode a(L"a"), b(L"b");
  INode* nodes[] = {&a, &b};
  EXPECT_EQ(pb.Append(kSources, 2, nodes), 0);
  EXPECT_EQ(pb.Count(kSources), 2);
  EXPECT_EQ(pb.GetINode(kSources, 0, 1), &b);
  EXPECT_FALSE(pb.Delete(kSources, 1, 5));
  EXPECT_TRUE(pb.Delete(kSources, 0, 1));
  EXPECT_EQ(pb.GetINode(kSources, 0, 0), &b);
  EXPECT_EQ(pb.Append(kSize, 1, nodes), -1);  // not a table
  EXPECT_FALSE(pb.SetCount(kSize, 3));
}

TEST_F(ParamBlockTest, ReferencedNodesThatAreDeletedBecomeEmpty) {
  auto* n = new INode(L"gone");
  pb.SetValue(kTarget, 0, n);
  INode* list[] = {n};
  pb.Append(kSources, 1, list);
  const int before = widget->changeMessages;
  delete n;
  EXPECT_EQ(pb.GetINode(kTarget), nullptr);
  EXPECT_EQ(pb.GetINode(kSources, 0, 0), nullptr);
  EXPECT_EQ(pb.Count(kSources), 1);
  EXPECT_GT(widget->changeMessages, before);
}

TEST_F(ParamBlockTest, ChangesOfAReferencedNodeReachTheOwner) {
  INode n(L"watched");
  pb.SetValue(kTarget, 0, &n);
  const int before = widget->changeMessages;
  n.SetNodeTM(0, TransMatrix(Point3(1.f, 2.f, 3.f)));
  EXPECT_EQ(widget->changeMessages, before + 1);
  pb.SetValue(kTarget, 0, static_cast<INode*>(nullptr));
}

TEST_F(ParamBlockTest, ResetAllRestoresDefaultsAndDropsKeys) {
  AnimateOn();
  pb.SetValue(kSize, 0, 30.f);
  pb.SetValue(kSize, 10, 40.f);
  AnimateOff();
  pb.SetValue(kCount, 0, 7);
  pb.ResetAll();
  EXPECT_EQ(pb.KeyCount(kSize), 0);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 10.f);
  EXPECT_EQ(pb.GetInt(kCount), 3);
}

TEST_F(ParamBlockTest, ClonesAreIndependentCopies) {
  pb.SetValue(kSize, 0, 42.f);
  INode n(L"n");
  pb.SetValue(kTarget, 0, &n);
  RemapDir remap;
  auto* copy = dynamic_cast<IParamBlock2*>(remap.CloneRef(&pb));
  ASSERT_NE(copy, nullptr);
  EXPECT_FLOAT_EQ(copy->GetFloat(kSize), 42.f);
  EXPECT_EQ(copy->GetINode(kTarget), &n);
  copy->SetValue(kSize, 0, 1.f);
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 42.f);
  EXPECT_EQ(remap.CloneRef(&pb), copy);  // cloned once per remap
  delete copy;
  pb.SetValue(kTarget, 0, static_cast<INode*>(nullptr));
}

TEST(ParamBlockDescTest, ValidateFindsBrokenTables) {
  EXPECT_TRUE(widgetBlock()->Validate().empty());
  ParamBlockDesc2 broken(1, L"Broken", 0, nullptr, 0, 0, {},
                         {{.id = 0, .internalName = L"a", .def = 5.f, .range = ParamRange{0, 1}},
                          {.id = 0, .internalName = L"a"},
                          {.id = 2, .internalName = L"b", .ui = {.map = 3, .control = TYPE_SPINNER}}});
  EXPECT_EQ(broken.Validate().size(), 4u);
  EXPECT_EQ(broken.NameToIndex(L"b"), 2);
  EXPECT_EQ(broken.IDtoIndex(9), -1);
}

namespace {
struct TrackedMap : Texmap {
  bool* deleted;
  explicit TrackedMap(bool* flag) : deleted(flag) {}
  ~TrackedMap() override { *deleted = true; }
  AColor EvalColor(ShadeContext&) override { return {}; }
};
}  // namespace

TEST_F(ParamBlockTest, AMapHeldByNothingElseGoesWithItsLastReference) {
  bool deleted = false;
  auto* map = new TrackedMap(&deleted);
  pb.SetValue(kPattern, 0, static_cast<Texmap*>(map));
  EXPECT_EQ(pb.GetTexmap(kPattern), map);
  pb.SetValue(kPattern, 0, static_cast<Texmap*>(nullptr));
  EXPECT_TRUE(deleted);

  // Held by the scene too: it stays.
  bool shared = false;
  auto* kept = new TrackedMap(&shared);
  GetCOREInterface()->AddToLibrary(kept);
  pb.SetValue(kPattern, 0, static_cast<Texmap*>(kept));
  pb.SetValue(kPattern, 0, static_cast<Texmap*>(nullptr));
  EXPECT_FALSE(shared);
  GetCOREInterface()->ResetScene();
  EXPECT_TRUE(shared);
}
