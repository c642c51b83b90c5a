// Nodes, the core interface, function publishing, undo and mouse creation.
#include <gtest/gtest.h>

#include "TestClasses.h"
#include "host/runtime/Materials.h"
#include "host/sdk/Debug.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Hold.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Material.h"
#include "host/sdk/Node.h"

using namespace hosttest;

namespace {
struct SceneTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  void SetUp() override { core.ResetScene(); }
  void TearDown() override { core.ResetScene(); }
};

void expectNear(const Point3& a, const Point3& b) {
  EXPECT_NEAR(a.x, b.x, 1e-4f);
  EXPECT_NEAR(a.y, b.y, 1e-4f);
  EXPECT_NEAR(a.z, b.z, 1e-4f);
}
}  // namespace

TEST_F(SceneTest, UserPropertiesParseByKeyWithoutRegardToCase) {
  INode* n = core.CreateObjectNode(nullptr, L"props");
  n->SetUserPropBuffer(L"strength = 20\r\nCore=0.3\r\nname = spin  \r\nbroken\r\non = yes\r\nbad = x1");
  float f = 0;
  EXPECT_TRUE(n->GetUserPropFloat(L"STRENGTH", f));
  EXPECT_FLOAT_EQ(f, 20.f);
  EXPECT_TRUE(n->GetUserPropFloat(L"core", f));
  EXPECT_FLOAT_EQ(f, 0.3f);
  EXPECT_FALSE(n->GetUserPropFloat(L"bad", f));
  EXPECT_FALSE(n->GetUserPropFloat(L"missing", f));
  EXPECT_FLOAT_EQ(f, 0.3f);  // failed reads leave the value alone
  MSTR s;
  EXPECT_TRUE(n->GetUserPropString(L"name", s));
  EXPECT_EQ(s, L"spin");
  BOOL b = FALSE;
  EXPECT_TRUE(n->GetUserPropBool(L"on", b));
  EXPECT_TRUE(b);
  n->SetUserPropFloat(L"strength", 5.5f);
  n->SetUserPropInt(L"extra", 3);
  EXPECT_TRUE(n->GetUserPropFloat(L"strength", f));
  EXPECT_FLOAT_EQ(f, 5.5f);
  int i = 0;
  EXPECT_TRUE(n->GetUserPropInt(L"extra", i));
  EXPECT_EQ(i, 3);
}

TEST_F(SceneTest, ChildTransformsFollowTheirKeyedParent) {
  INode* parent = core.CreateObjectNode(nullptr, L"parent");
  INode* child = core.CreateObjectNode(nullptr, L"child");
  ASSERT_TRUE(parent->AttachChild(child));
  parent->Transform().position.SetKey(0, Point3(0.f, 0.f, 0.f));
  parent->Transform().position.SetKey(100, Point3(10.f, 0.f, 0.f));
  parent->Transform().rotation.SetConstant(Point3(0.f, 0.f, 90.f));
  child->Transform().position.SetConstant(Point3(1.f, 0.f, 0.f));
  expectNear(child->GetNodeTM(50).GetTrans(), Point3(5.f, 1.f, 0.f));
  Interval iv = FOREVER;
  child->GetNodeTM(50, &iv);
  EXPECT_EQ(iv, Interval(50, 50));
  EXPECT_FALSE(child->AttachChild(parent));  // would make a loop
  EXPECT_EQ(core.GetINodeByName(L"child")->GetParentNode(), parent);
}

TEST_F(SceneTest, TargetedNodesLookDownMinusZ) {
  INode* cam = core.CreateObjectNode(nullptr, L"cam");
  INode* target = core.CreateObjectNode(nullptr, L"target");
  cam->Transform().position.SetConstant(Point3(0.f, -100.f, 0.f));
  cam->Transform().targetNode = target;
  const Matrix3 tm = cam->GetNodeTM(0);
  expectNear(-tm.GetRow(2), Point3(0.f, 1.f, 0.f));
  expectNear(tm.GetRow(1), Point3(0.f, 0.f, 1.f));
  expectNear(tm.GetTrans(), Point3(0.f, -100.f, 0.f));
}

TEST_F(SceneTest, NodesOwnTheirObjectsButNotTheirMaterials) {
  auto* widget = new Widget();
  INode* n = core.CreateObjectNode(widget, L"w");
  auto* mtl = new host::StdMat();
  core.AddToLibrary(mtl);
  n->SetMtl(mtl);
  widget->pblock2->SetValue(kLook, 0, static_cast<Mtl*>(mtl));
  core.DeleteNode(n);
  EXPECT_EQ(core.GetINodeByName(L"w"), nullptr);
  EXPECT_EQ(mtl->DependentCount(), 1);  // only the scene library is left
}

namespace {
// One reference slot, released with DeleteAllRefsFromMe like any plug-in.
struct RefHolder : ReferenceMaker {
  ReferenceTarget* target = nullptr;
  ~RefHolder() override { DeleteAllRefsFromMe(); }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? target : nullptr; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override {
    return REF_SUCCEED;
  }

 protected:
  void SetReference(int i, RefTargetHandle t) override {
    if (i == 0) target = t;
  }
};

struct TrackedNode : INode {
  bool* deleted;
  explicit TrackedNode(bool* flag) : INode(L"held"), deleted(flag) {}
  ~TrackedNode() override { *deleted = true; }
};

struct TrackedMtl : Mtl {
  bool* deleted;
  explicit TrackedMtl(bool* flag) : deleted(flag) {}
  ~TrackedMtl() override { *deleted = true; }
};
}  // namespace

TEST_F(SceneTest, DroppingTheLastReferenceToANodeLeavesItToTheScene) {
  bool nodeDeleted = false;
  auto* node = new TrackedNode(&nodeDeleted);
  core.GetRootNode()->AttachChild(node);
  {
    RefHolder modifier;
    modifier.ReplaceReference(0, node);
    modifier.ReplaceReference(0, nullptr);  // let go explicitly
    EXPECT_FALSE(nodeDeleted);
    modifier.ReplaceReference(0, node);
  }  // and by being deleted while holding it
  EXPECT_FALSE(nodeDeleted);
  EXPECT_EQ(core.GetINodeByName(L"held"), node);
  EXPECT_EQ(node->DependentCount(), 0);

  // Other targets still go with their last reference.
  bool mtlDeleted = false;
  {
    RefHolder holder;
    holder.ReplaceReference(0, new TrackedMtl(&mtlDeleted));
  }
  EXPECT_TRUE(mtlDeleted);

  core.DeleteNode(node);  // the scene deletes it, once
  EXPECT_TRUE(nodeDeleted);
}

TEST_F(SceneTest, EvaluatingANodeGivesItsMeshAsATriangleObject) {
  auto* widget = new Widget();
  INode* n = core.CreateObjectNode(widget, L"w");
  ObjectState os = n->EvalWorldState(0);
  ASSERT_EQ(os.obj, widget);
  ASSERT_TRUE(os.obj->CanConvertToType(triObjectClassID));
  Object* tri = os.obj->ConvertToType(0, triObjectClassID);
  ASSERT_NE(tri, nullptr);
  EXPECT_EQ(static_cast<TriObject*>(tri)->mesh.getNumVerts(), 1);
  tri->DeleteThis();
  EXPECT_EQ(widget->builds, 1);  // the cached mesh served both
}

TEST_F(SceneTest, FrameRatesMustDivideTheTickRate) {
  EXPECT_EQ(core.GetTicksPerFrame(), 160);
  EXPECT_TRUE(core.SetFrameRate(24));
  EXPECT_EQ(core.GetTicksPerFrame(), 200);
  EXPECT_FALSE(core.SetFrameRate(7));
  EXPECT_FALSE(core.SetFrameRate(0));
  EXPECT_EQ(core.GetFrameRate(), 24);
}

TEST_F(SceneTest, ProgressStartsClearOfCancelAndReportsTheFlag) {
  core.SetCancel(TRUE);
  core.ProgressStart(L"Rendering");
  EXPECT_FALSE(core.GetCancel());
  core.ProgressUpdate(140);
  EXPECT_EQ(core.ProgressPercent(), 100);
  core.SetCancel(TRUE);
  EXPECT_TRUE(core.GetCancel());
  core.ProgressEnd();
  EXPECT_FALSE(core.ProgressActive());
  core.SetEscapePressed(true);
  EXPECT_NE(GetAsyncKeyState(VK_ESCAPE) & 0x8000, 0);
  core.SetEscapePressed(false);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
}

namespace {
class Adder : public FPMixinInterface {
 public:
  FPInterfaceDesc* GetDesc() override {
    static FPInterfaceDesc desc(Interface_ID(1, 2), L"adder", 0, nullptr, FP_MIXIN,
                                {{0, L"add", TYPE_INT, {{L"a", TYPE_INT}, {L"b", TYPE_INT}}},
                                 {1, L"explode", TYPE_VOID, {}}});
    return &desc;
  }

 protected:
  FPStatus _dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams* p) override {
    if (fid == 1) throw std::runtime_error("exploded");
    result = FPValue::Int(p->params[0].i + p->params[1].i);
    return FPS_OK;
  }
};
}  // namespace

TEST(FunctionPublishingTest, MissingArgumentsRaiseTheHostsOutOfRangeMessage) {
  Adder adder;
  FPValue result;
  FPParams two{FPValue::Int(2), FPValue::Int(3)};
  EXPECT_EQ(adder.Invoke(0, 0, result, &two), FPS_OK);
  EXPECT_EQ(result.i, 5);
  FPParams one{FPValue::Int(2)};
  MSTR error;
  EXPECT_EQ(adder.Invoke(0, 0, result, &one, &error), FPS_FAIL);
  EXPECT_EQ(error, L"Argument index out of bounds, passed into a MaxSDK::Array::operator[]");
  EXPECT_EQ(adder.Invoke(1, 0, result, nullptr, &error), FPS_FAIL);
  EXPECT_EQ(error, L"exploded");
  EXPECT_NE(adder.GetDesc()->FindFunction(L"add"), nullptr);
  EXPECT_EQ(adder.GetDesc()->FindFunction(L"sub"), nullptr);
}

namespace {
struct ValueRestore : RestoreObj {
  int& target;
  int before, after;
  ValueRestore(int& t, int b, int a) : target(t), before(b), after(a) {}
  void Restore(int) override { target = before; }
  void Redo() override { target = after; }
};
}  // namespace

TEST(HoldTest, AcceptedStepsUndoAndRedoAndCancelRestores) {
  int value = 1;
  theHold.Clear();
  theHold.Begin();
  theHold.Put(new ValueRestore(value, 1, 2));
  value = 2;
  theHold.Accept(L"set");
  EXPECT_TRUE(theHold.Undo());
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(theHold.Redo());
  EXPECT_EQ(value, 2);
  theHold.Begin();
  theHold.Put(new ValueRestore(value, 2, 3));
  value = 3;
  theHold.Cancel();
  EXPECT_EQ(value, 2);
  theHold.Put(new ValueRestore(value, 0, 0));  // not holding: dropped
  EXPECT_EQ(theHold.UndoDepth(), 1);
  theHold.Clear();
  EXPECT_FALSE(theHold.Undo());
}

TEST(HoldTest, CancellingANestedHoldTakesBackOnlyItsOwnRecords) {
  int value = 1;
  theHold.Clear();
  theHold.Begin();  // the enclosing step
  theHold.Put(new ValueRestore(value, 1, 2));
  value = 2;
  theHold.Begin();
  theHold.Put(new ValueRestore(value, 2, 3));
  value = 3;
  theHold.Cancel();
  EXPECT_EQ(value, 2);  // the inner change is gone, the outer one stays
  EXPECT_TRUE(theHold.Holding());
  theHold.Begin();
  theHold.Put(new ValueRestore(value, 2, 4));
  value = 4;
  theHold.Accept(L"inner");  // joins the enclosing step
  EXPECT_EQ(theHold.UndoDepth(), 0);
  theHold.Accept(L"outer");
  EXPECT_FALSE(theHold.Holding());
  ASSERT_EQ(theHold.UndoDepth(), 1);
  EXPECT_EQ(theHold.UndoName(), L"outer");
  EXPECT_TRUE(theHold.Undo());
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(theHold.Redo());
  EXPECT_EQ(value, 4);

  theHold.Begin();
  theHold.Put(new ValueRestore(value, 4, 5));
  value = 5;
  theHold.Begin();
  theHold.Put(new ValueRestore(value, 5, 6));
  value = 6;
  theHold.Cancel();
  theHold.Cancel();  // both levels back out, newest first
  EXPECT_EQ(value, 4);
  EXPECT_FALSE(theHold.Holding());
  EXPECT_EQ(theHold.UndoDepth(), 1);
  theHold.Clear();
}

namespace {
// Records the messages a creation sends.
struct Recorder : CreateMouseCallBack {
  std::vector<std::pair<int, int>> seen;
  int proc(ViewExp*, int msg, int point, int, IPoint2, Matrix3&) override {
    seen.emplace_back(msg, point);
    return msg == MOUSE_POINT && point == 1 ? CREATE_STOP : CREATE_CONTINUE;
  }
};
}  // namespace

TEST(CreationDriverTest, ClickDragReleaseSendsDownMovesAndUp) {
  Recorder r;
  const host::CreationResult res = host::driveCreation(&r, {{0, 0}, {5, 0}, {9, 0}});
  EXPECT_EQ(res.result, CREATE_STOP);
  const std::vector<std::pair<int, int>> expected = {{MOUSE_POINT, 0}, {MOUSE_MOVE, 1}, {MOUSE_POINT, 1}};
  EXPECT_EQ(r.seen, expected);
  Recorder single;
  host::driveCreation(&single, {{3, 3}});
  EXPECT_EQ(single.seen.size(), 2u);  // down and up at the same point
  EXPECT_EQ(host::abortCreation(&single), CREATE_CONTINUE);
  EXPECT_EQ(single.seen.back().first, MOUSE_ABORT);
}

TEST(DebugOutputTest, TextGoesToTheSinkInOrder) {
  host::clearDebugOutput();
  OutputDebugString(L"Tessaron Iridel: mesh build failed\n");
  OutputDebugString(nullptr);
  OutputDebugString(L"second\n");
  EXPECT_EQ(host::debugOutput(), L"Tessaron Iridel: mesh build failed\nsecond\n");
  host::clearDebugOutput();
  EXPECT_TRUE(host::debugOutput().empty());
}
