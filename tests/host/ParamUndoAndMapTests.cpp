// Parameter writes under the undo hold, and the parameter maps of open
// rollouts: user procedures, control messages and targeted refreshes.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "host/sdk/Hold.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/ParamMap2.h"

using namespace hosttest;

namespace {

struct ParamUndoTest : ::testing::Test {
  Widget* widget = new Widget();
  IParamBlock2& pb = *widget->pblock2;
  void TearDown() override {
    theHold.Clear();
    if (widget) widget->DeleteThis();
  }
};

class TrackedMap : public Texmap {
 public:
  explicit TrackedMap(bool* deleted) : deleted_(deleted) {}
  ~TrackedMap() override { *deleted_ = true; }
  AColor EvalColor(ShadeContext&) override { return {}; }

 private:
  bool* deleted_;
};

class RecordingProc : public ParamMap2UserDlgProc {
 public:
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND, UINT msg, WPARAM wParam, LPARAM) override {
    lastTime = t;
    lastMap = map;
    lastMsg = msg;
    lastControl = LOWORD(wParam);
    lastNotification = HIWORD(wParam);
    return TRUE;
  }
  TimeValue lastTime = -1;
  IParamMap2* lastMap = nullptr;
  UINT lastMsg = 0;
  int lastControl = -1, lastNotification = -1;
};

}  // namespace

TEST_F(ParamUndoTest, WritesInsideAHoldUndoAndRedoAsOneStep) {
  pb.SetValue(kSize, 0, 20.f);  // outside a hold: nothing recorded
  EXPECT_EQ(theHold.UndoDepth(), 0);
  theHold.Begin();
  pb.SetValue(kSize, 0, 30.f);
  pb.SetValue(kCount, 0, 5);
  pb.SetValue(kCache, 0, L"a.bin");
  theHold.Accept(L"Edit");
  EXPECT_EQ(theHold.UndoDepth(), 1);
  EXPECT_EQ(theHold.UndoName(), L"Edit");
  const int before = widget->changeMessages;
  ASSERT_TRUE(theHold.Undo());
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 20.f);
  EXPECT_EQ(pb.GetInt(kCount), 3);
  EXPECT_STREQ(pb.GetStr(kCache), L"");
  EXPECT_GT(widget->changeMessages, before);  // the owner hears about the undo
  EXPECT_EQ(theHold.UndoName(), L"");
  ASSERT_TRUE(theHold.Redo());
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 30.f);
  EXPECT_STREQ(pb.GetStr(kCache), L"a.bin");
  EXPECT_EQ(pb.LastNotifyParamID(), kCache);
}

TEST_F(ParamUndoTest, ResetAllUndoesAsOneStep) {
  pb.SetValue(kSize, 0, 42.f);
  pb.SetValue(kNote, 0, L"kept");
  theHold.Begin();
  pb.ResetAll();
  theHold.Accept(L"Reset");
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 10.f);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 42.f);
  EXPECT_STREQ(pb.GetStr(kNote), L"kept");
}

TEST_F(ParamUndoTest, CancelPutsBackTheOpenStepAndKeepsNoEntry) {
  theHold.Begin();
  pb.SetValue(kSize, 0, 40.f);
  INode* none = nullptr;
  pb.Append(kSources, 1, &none);
  theHold.Cancel();
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize), 10.f);
  EXPECT_EQ(pb.Count(kSources), 0);
  EXPECT_EQ(theHold.UndoDepth(), 0);
}

TEST_F(ParamUndoTest, AMapReleasedUnderTheHoldLivesUntilTheStepIsForgotten) {
  bool deleted = false;
  auto* map = new TrackedMap(&deleted);
  pb.SetValue(kPattern, 0, static_cast<Texmap*>(map));
  theHold.Begin();
  pb.SetValue(kPattern, 0, static_cast<Texmap*>(nullptr));
  theHold.Accept(L"Clear");
  EXPECT_FALSE(deleted);  // the undo record still holds it
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(pb.GetTexmap(kPattern), map);
  ASSERT_TRUE(theHold.Redo());
  EXPECT_EQ(pb.GetTexmap(kPattern), nullptr);
  theHold.Clear();
  EXPECT_TRUE(deleted);
}

TEST_F(ParamUndoTest, RecordsOutliveTheirNodesAndBlocksSafely) {
  auto* node = new INode(L"target");
  theHold.Begin();
  pb.SetValue(kTarget, 0, node);
  theHold.Accept(L"Pick");
  delete node;  // the block and the record both forget it
  EXPECT_EQ(pb.GetINode(kTarget), nullptr);
  widget->DeleteThis();  // the record keeps the orphaned block until it goes
  widget = nullptr;
  EXPECT_TRUE(theHold.Undo());
  theHold.Clear();
}

TEST(ParamMapTest, OpenRolloutsCarryTheirProceduresAndRefreshByParameter) {
  RecordingProc proc;
  ParamBlockDesc2* block = widgetBlock();
  block->SetUserDlgProc(1, &proc);
  EXPECT_EQ(block->GetUserDlgProc(0), nullptr);
  EXPECT_EQ(block->GetUserDlgProc(1), &proc);
  Widget widget;
  widgetDesc()->BeginEditParams(nullptr, &widget, 0, nullptr);
  IParamMap2* shape = widgetDesc()->GetParamMap(block, 0);
  IParamMap2* lists = widgetDesc()->GetParamMap(block, 1);
  ASSERT_NE(shape, nullptr);
  ASSERT_NE(lists, nullptr);
  EXPECT_EQ(lists->GetParamBlock(), widget.pblock2);
  EXPECT_EQ(shape->SendCommand(0, 1001), FALSE);  // no procedure on map 0
  EXPECT_EQ(lists->SendCommand(160, 1031, 5), TRUE);
  EXPECT_EQ(proc.lastMap, lists);
  EXPECT_EQ(proc.lastMsg, WM_COMMAND);
  EXPECT_EQ(proc.lastControl, 1031);
  EXPECT_EQ(proc.lastNotification, 5);
  EXPECT_EQ(proc.lastTime, 160);

  block->InvalidateUI(kSources);  // shown on map 1 only
  EXPECT_EQ(lists->Invalidations(), 1);
  EXPECT_EQ(shape->Invalidations(), 0);
  EXPECT_EQ(block->LastInvalidatedParam(), kSources);
  block->InvalidateUI(static_cast<ParamID>(-1));  // the whole block
  EXPECT_EQ(lists->Invalidations(), 2);
  EXPECT_EQ(shape->Invalidations(), 1);
  widgetDesc()->EndEditParams(nullptr, &widget, 0, nullptr);
  EXPECT_EQ(widgetDesc()->GetParamMap(block, 1), nullptr);
  block->SetUserDlgProc(1, nullptr);
}
