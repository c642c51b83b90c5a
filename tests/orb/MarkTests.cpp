// The orb's logo mark: its geometry by the metrics, rebuilding only when
// size, scale or text change, and its place in both viewport paths.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/sdk/Node.h"
#include "orb/MarkGeometry.h"
#include "orb/MarkItem.h"
#include "orb/OrbObject.h"
#include "plugin/ClassDescriptors.h"

using namespace orb;

TEST(MarkGeometryTest, ScalesWithTheRadiusAndLiesInItsPlane) {
  const std::vector<Vec> small = markLines(50.f, 1.f, "ORB");
  const std::vector<Vec> large = markLines(100.f, 1.f, "ORB");
  ASSERT_EQ(small.size() % 2, 0u);
  ASSERT_EQ(small.size(), large.size());
  const float d = 0.2f * 50.f;
  for (std::size_t i = 0; i < small.size(); ++i) {
    EXPECT_NEAR(large[i].x, 2.f * small[i].x, 1e-3f);
    EXPECT_NEAR(large[i].y, 2.f * small[i].y, 1e-3f);
    EXPECT_FLOAT_EQ(small[i].z, 0.04f * d);
  }
  // Beside the orb: centred 1.15 R out, the petals reach back to about 0.97 R.
  for (const Vec& p : small) EXPECT_GT(p.x, 0.95f * 50.f);
}

TEST(MarkGeometryTest, OutOfRangeSizesAndScalesFallBack) {
  EXPECT_EQ(markLines(0.f, 1.f, "A"), markLines(1000.f, 1.f, "A"));
  EXPECT_EQ(markLines(50.f, 40.f, "A"), markLines(50.f, 1.f, "A"));
  EXPECT_EQ(markLines(50.f, 0.01f, "A"), markLines(50.f, 1.f, "A"));
  EXPECT_NE(markLines(50.f, 2.f, "A"), markLines(50.f, 1.f, "A"));
  EXPECT_EQ(markLines(50.f, 1.f, ""), markLines(50.f, 1.f, "TESSARON"));
}

TEST(MarkGeometryTest, EveryCapitalHasStrokesAndLongerWordsMore) {
  const std::size_t glyphOnly = markLines(50.f, 1.f, " ").size();
  for (char c = 'A'; c <= 'Z'; ++c) EXPECT_GT(markLines(50.f, 1.f, std::string(1, c)).size(), glyphOnly) << c;
  EXPECT_EQ(markLines(50.f, 1.f, "ab"), markLines(50.f, 1.f, "AB"));
  EXPECT_GT(markLines(50.f, 1.f, "TESSARONIRIDEL").size(), markLines(50.f, 1.f, "TESSARON").size());
}

TEST(MarkItemTest, RebuildsOnlyWhenItsInputsChange) {
  auto* item = new tsorb::MarkItem();
  item->Update(50.f, 1.f, "X");
  item->Update(50.f, 1.f, "X");
  EXPECT_EQ(item->Builds(), 1);
  item->Update(60.f, 1.f, "X");
  item->Update(60.f, 2.f, "X");
  item->Update(60.f, 2.f, "Y");
  EXPECT_EQ(item->Builds(), 4);
  EXPECT_EQ(item->GetPrimitiveCount(), item->Lines().size() / 2);
  MaxSDK::Graphics::DrawContext dc;
  item->Display(dc);
  EXPECT_EQ(dc.segments().size(), item->GetPrimitiveCount());
  EXPECT_EQ(dc.segments().front().color, Color(0.706f, 1.0f, 0.878f));
  item->Release();
}

namespace {
struct OrbDisplayTest : ::testing::Test {
  OrbObject* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  void SetUp() override {
    orb->pblock2->SetValue(param::loopSeconds, 0, 0.5f);
    orb->pblock2->SetValue(param::substeps, 0, 1);
    orb->pblock2->SetValue(param::useCUDA, 0, false);
  }
  void TearDown() override {
    if (orb) orb->DeleteThis();
  }
  void update(MaxSDK::Graphics::IRenderItemContainer& items, TimeValue t = 0) {
    MaxSDK::Graphics::UpdateDisplayContext ctx{t};
    MaxSDK::Graphics::UpdateNodeContext node;
    orb->UpdatePerNodeItems(ctx, node, items);
  }
};
}  // namespace

TEST_F(OrbDisplayTest, AnEmptyOrbStillShowsItsMark) {
  for (ParamID id : {param::showShell, param::showHaze, param::showVeil}) orb->pblock2->SetValue(id, 0, false);
  orb->UpdateMesh(0);
  MaxSDK::Graphics::IRenderItemContainer items;
  update(items);
  EXPECT_FALSE(items.defaultMeshItems);
  ASSERT_EQ(items.GetNumberOfRenderItems(), 1u);
  EXPECT_EQ(items.GetRenderItem(0).visibilityGroup, 3);
  EXPECT_GT(items.GetRenderItem(0).item->GetPrimitiveCount(), 0u);
}

TEST_F(OrbDisplayTest, OnlyTheRadiusRebuildsTheMark) {
  orb->UpdateMesh(0);
  MaxSDK::Graphics::IRenderItemContainer items;
  update(items);
  EXPECT_TRUE(items.defaultMeshItems);
  const tsorb::MarkItem* mark = orb->Mark();
  ASSERT_NE(mark, nullptr);
  orb->pblock2->SetValue(param::pleatDepth, 0, 0.1f);
  items.ClearAllRenderItems();
  update(items);
  EXPECT_EQ(mark->Builds(), 1);
  orb->pblock2->SetValue(param::radius, 0, 80.f);
  items.ClearAllRenderItems();
  update(items);
  EXPECT_EQ(mark->Builds(), 2);
  EXPECT_EQ(orb->Mark(), mark);  // one item per orb
}

TEST_F(OrbDisplayTest, TheItemOutlivesTheOrbWhileTheViewportHoldsIt) {
  MaxSDK::Graphics::IRenderItemContainer items;
  update(items);
  orb->DeleteThis();
  orb = nullptr;
  MaxSDK::Graphics::DrawContext dc;
  items.GetRenderItem(0).item->Display(dc);
  EXPECT_GT(dc.segments().size(), 0u);
}

TEST_F(OrbDisplayTest, LegacyDisplayDrawsTheMarkWithTheNodeTransform) {
  INode node(L"Orb");
  node.Transform().position.SetConstant(Point3(0.f, 0.f, 100.f));
  ViewExp view;
  orb->Display(0, &node, &view, 0);
  const auto& segments = view.getGW()->segments();
  ASSERT_EQ(segments.size(), markLines(50.f, 1.f, "TESSARONIRIDEL").size() / 2);
  EXPECT_EQ(segments.front().color, Color(0.706f, 1.0f, 0.878f));
  EXPECT_NEAR(segments.front().a.z, 100.f + 0.04f * 10.f, 1e-4f);
  EXPECT_EQ(orb->Display(0, nullptr, &view, 0), 0);
  EXPECT_EQ(view.getGW()->segments().size(), segments.size());  // nothing more without a node
}
