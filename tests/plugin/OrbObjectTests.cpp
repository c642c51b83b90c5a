// The orb object as the host sees it: its parameter table, creation with
// the mouse, change handling, render switching, cloning and interfaces.
#include <gtest/gtest.h>

#include "host/sdk/Interface.h"
#include "orb/OrbObject.h"
#include "plugin/ClassDescriptors.h"

namespace {
struct OrbTest : ::testing::Test {
  OrbObject* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  void SetUp() override {
    orb->pblock2->SetValue(orb::param::loopSeconds, 0, 0.5f);  // short bakes
    orb->pblock2->SetValue(orb::param::substeps, 0, 1);
  }
  void TearDown() override { orb->DeleteThis(); }
};
}  // namespace

TEST(OrbParameterTableTest, MatchesTheStoredLayout) {
  ParamBlockDesc2& b = *GetOrbParamBlockDesc();
  EXPECT_EQ(b.ID, 0);
  EXPECT_EQ(b.ref_no, 0);
  EXPECT_EQ(b.flags & (P_AUTO_CONSTRUCT | P_AUTO_UI), P_AUTO_CONSTRUCT | P_AUTO_UI);
  ASSERT_EQ(b.Count(), 50);
  ASSERT_EQ(b.Rollouts().size(), 5u);
  EXPECT_EQ(b.Rollouts()[4].dialogId, 204);
  EXPECT_EQ(b.Rollouts()[4].titleId, 14);
  for (int i = 0; i < b.Count(); ++i) {
    const ParamDef& p = b.GetParamDefByIndex(i);
    EXPECT_EQ(p.id, i);
    EXPECT_EQ(p.labelId, 100 + i);
    EXPECT_EQ(p.flags, p.id == orb::param::veilSources ? P_VARIABLE_SIZE : 33) << host::narrow(p.internalName);
  }
  const ParamDef& radius = *b.GetParamDef(orb::param::radius);
  EXPECT_STREQ(radius.internalName, L"radius");
  EXPECT_DOUBLE_EQ(radius.def.number, 50.0);
  EXPECT_DOUBLE_EQ(radius.range->lo, 0.01);
  EXPECT_DOUBLE_EQ(radius.range->hi, 100000.0);
  const ParamDef& anchor = *b.GetParamDef(orb::param::anchor);
  EXPECT_STREQ(anchor.internalName, L"anchor");
  EXPECT_EQ(anchor.type, TYPE_INT);
  EXPECT_EQ(anchor.ui.map, 3);  // Fabric Physics
  const ParamDef& sources = *b.GetParamDef(orb::param::veilSources);
  EXPECT_EQ(sources.type, TYPE_INODE_TAB);
  EXPECT_EQ(sources.ui.map, 0);
  EXPECT_STREQ(b.GetParamDef(orb::param::shellThickness)->internalName, L"shellThickness");
  EXPECT_EQ(b.GetParamDef(orb::param::useCUDA)->type, TYPE_BOOL);
  EXPECT_EQ(b.GetParamDef(orb::param::selfCollision)->def.number, 1.0);
  EXPECT_EQ(b.GetParamDef(orb::param::reverse)->def.number, 0.0);
}

TEST_F(OrbTest, ClickAndReleaseAtOnePointMakesTheSmallestOrb) {
  const host::CreationResult r = host::driveCreation(orb->GetCreateMouseCallBack(), {{7, 9}});
  EXPECT_EQ(r.result, CREATE_STOP);
  EXPECT_FLOAT_EQ(orb->pblock2->GetFloat(orb::param::radius), 0.01f);
  EXPECT_EQ(r.mat.GetTrans(), Point3(7.f, 9.f, 0.f));
}

TEST_F(OrbTest, DraggingSetsTheRadiusToTheDistanceFromTheCentre) {
  const host::CreationResult r = host::driveCreation(orb->GetCreateMouseCallBack(), {{10, 10}, {13, 14}, {40, 50}});
  EXPECT_EQ(r.result, CREATE_STOP);
  EXPECT_EQ(r.messages, 3);
  EXPECT_FLOAT_EQ(orb->pblock2->GetFloat(orb::param::radius), 50.f);
  EXPECT_EQ(r.mat.GetTrans(), Point3(10.f, 10.f, 0.f));
  EXPECT_EQ(host::abortCreation(orb->GetCreateMouseCallBack()), CREATE_ABORT);
}

TEST_F(OrbTest, AParameterChangeEmptiesValidityAndRefreshesTheRollouts) {
  orb->UpdateMesh(0);
  EXPECT_TRUE(orb->ivalid.InInterval(0));
  EXPECT_FALSE(orb->ivalid.InInterval(1));  // valid only at the instant it was built for
  const int refreshes = GetOrbParamBlockDesc()->UIInvalidations();
  orb->pblock2->SetValue(orb::param::pleatDepth, 0, 0.1f);
  EXPECT_TRUE(orb->ivalid.Empty());
  EXPECT_EQ(GetOrbParamBlockDesc()->UIInvalidations(), refreshes + 1);
}

TEST_F(OrbTest, RenderBeginAndEndSwitchTheRenderingFlag) {
  orb->UpdateMesh(0);
  EXPECT_EQ(orb->RenderBegin(0), 1);
  EXPECT_TRUE(orb->Rendering());
  EXPECT_TRUE(orb->ivalid.Empty());
  orb->UpdateMesh(0);
  EXPECT_EQ(orb->RenderEnd(0), 1);
  EXPECT_FALSE(orb->Rendering());
  EXPECT_TRUE(orb->ivalid.Empty());
}

TEST_F(OrbTest, BuildIsValidOnlyAtItsInstantWithFreshNormals) {
  orb->BuildMesh(5);
  EXPECT_EQ(orb->ivalid, Interval(5, 5));
  EXPECT_GT(orb->mesh.getNumFaces(), 0);
  EXPECT_TRUE(orb->mesh.normalsBuilt());
}

TEST_F(OrbTest, ClonesCarryTheirOwnBlock) {
  orb->pblock2->SetValue(orb::param::veilCount, 0, 3);
  RemapDir remap;
  auto* copy = dynamic_cast<OrbObject*>(orb->Clone(remap));
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->pblock2, orb->pblock2);
  EXPECT_EQ(copy->pblock2->GetInt(orb::param::veilCount), 3);
  copy->pblock2->SetValue(orb::param::veilCount, 0, 1);
  EXPECT_EQ(orb->pblock2->GetInt(orb::param::veilCount), 3);
  copy->DeleteThis();
}

TEST_F(OrbTest, AnswersForItsInterfacesAndName) {
  EXPECT_STREQ(orb->GetObjectName(), L"Tessaron Iridel");
  EXPECT_NE(orb->GetInterface(IOBJECT_DISPLAY2_INTERFACE_ID), nullptr);
  auto* iridel = dynamic_cast<FPInterface*>(orb->GetInterface(ORB_FP_INTERFACE_ID));
  ASSERT_NE(iridel, nullptr);
  EXPECT_EQ(iridel->GetDesc()->internal_name, L"iridel");
  EXPECT_EQ(orb->GetInterface(Interface_ID(1, 1)), nullptr);
  FPValue result;
  EXPECT_EQ(iridel->Invoke(OrbFPInterface::kSolverStatus, 0, result, nullptr), FPS_OK);
  EXPECT_EQ(result.type, TYPE_STRING);
}

TEST_F(OrbTest, EditingOpensTheFiveRollouts) {
  orb->BeginEditParams(GetCOREInterface(), 0, nullptr);
  ASSERT_EQ(GetOrbDesc()->OpenRollouts().size(), 5u);
  EXPECT_EQ(GetOrbDesc()->OpenRollouts()[0].titleId, 10);
  orb->EndEditParams(GetCOREInterface(), 0, nullptr);
  EXPECT_TRUE(GetOrbDesc()->OpenRollouts().empty());
}
