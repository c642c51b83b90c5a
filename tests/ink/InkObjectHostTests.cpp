// The ink object as the host drives it: the viewport sphere, particle
// filling with the frame cache, change handling, creation, the rollouts'
// clear buttons with undo, the mark and the render mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "host/sdk/Hold.h"
#include "host/sdk/Interface.h"
#include "host/sdk/ParamMap2.h"
#include "host/runtime/Materials.h"
#include "ink/InkObject.h"
#include "ink/InkParams.h"
#include "ink/InkSphere.h"
#include "ink/material/InkMtl.h"
#include "plugin/ClassDescriptors.h"

namespace {

InkObject* newInk() { return static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE))); }

struct InkHostTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  InkObject* ink = newInk();
  INode* node = core.CreateObjectNode(ink, L"Ink");
  int sourceCalls = 0;
  std::size_t sourceSize = 3;

  void SetUp() override {
    ink->SetViewportSourceForTesting([this](TimeValue) {
      ++sourceCalls;
      return std::vector<Point3>(sourceSize, Point3(1.f, 2.f, 3.f));
    });
  }
  void TearDown() override {
    if (SimpleParticle::editOb) ink->EndEditParams(&core, 0, nullptr);
    theHold.Clear();
    core.ResetScene();
  }
  // Clicks a control of an open rollout.
  INT_PTR click(int control, MapID map) {
    IParamMap2* m = GetInkDesc()->GetParamMap(GetInkParamBlockDesc(), map);
    return m ? m->SendCommand(0, control) : -1;
  }
};

int visibleEdges(const Mesh& m) {
  int n = 0;
  for (const Face& f : m.faces)
    for (int e = 0; e < 3; ++e) n += f.getEdgeVis(e);
  return n;
}

}  // namespace

TEST(InkSphereTest, HasThePolesRingsAndOnlyRingAndMeridianEdges) {
  Mesh m;
  ink::buildViewportSphere(2.f, m);
  ASSERT_EQ(m.getNumVerts(), 1986);
  ASSERT_EQ(m.getNumFaces(), 3968);
  EXPECT_EQ(m.getVert(0), Point3(0, 0, 2));
  EXPECT_EQ(m.getVert(1985), Point3(0, 0, -2));
  // Ring 16 lies on the equator: vertex 1 + 15 * 64 is at azimuth 0.
  const Point3 equator = m.getVert(1 + 15 * 64);
  EXPECT_NEAR(equator.x, 2.f, 1e-6);
  EXPECT_NEAR(equator.z, 0.f, 1e-6);
  const Point3 v = m.getVert(1 + 2 * 64 + 16);  // ring 3, azimuth pi/2
  EXPECT_NEAR(v.y, 2.f * std::sin(3 * std::numbers::pi / 32), 1e-5);
  EXPECT_NEAR(v.z, 2.f * std::cos(3 * std::numbers::pi / 32), 1e-5);
  for (const Point3& p : m.verts) EXPECT_NEAR(p.Length(), 2.f, 1e-5);
  // North cap faces are (0, i, i mod 64 + 1).
  EXPECT_EQ(m.faces[63].getVert(0), 0u);
  EXPECT_EQ(m.faces[63].getVert(1), 64u);
  EXPECT_EQ(m.faces[63].getVert(2), 1u);
  // 64 meridians of 32 segments and 31 rings of 64: each drawn once.
  EXPECT_EQ(visibleEdges(m), 64 * 32 + 31 * 64);
  // Every face points outwards.
  m.buildNormals();
  for (int f = 0; f < m.getNumFaces(); ++f) {
    const Face& face = m.faces[f];
    const Point3 centre = (m.getVert(face.v[0]) + m.getVert(face.v[1]) + m.getVert(face.v[2])) * (1.f / 3);
    EXPECT_GT(DotProd(m.getFaceNormal(f), centre), 0.f) << f;
  }
}

TEST_F(InkHostTest, EmitterIsTheSphereOfTheRadiusOrEmpty) {
  ink->pblock2->SetValue(ink::param::radius, 0, 20.f);
  ink->Update(0, node);
  EXPECT_EQ(ink->mesh.getNumVerts(), 1986);
  EXPECT_EQ(ink->mesh.getVert(0), Point3(0, 0, 20));
  ink->pblock2->SetValue(ink::param::viewportSphere, 0, false);
  ink->Update(0, node);
  EXPECT_EQ(ink->mesh.getNumFaces(), 0);
  EXPECT_EQ(ink->NumParticles(), 3);  // the particles still show
}

TEST_F(InkHostTest, ParticlesAreFilledInWorldSpaceFromTheCacheOncePerFrame) {
  Matrix3 tm;
  tm.SetTrans(Point3(10, 0, 0));
  node->SetNodeTM(0, tm);
  ink->Update(0, node);
  ASSERT_EQ(ink->NumParticles(), 3);
  EXPECT_EQ(ink->parts.points[2], Point3(11, 2, 3));
  EXPECT_EQ(ink->parts.vels[2], Point3());
  EXPECT_EQ(ink->parts.ages[2], 0);
  EXPECT_EQ(ink->FrameCache().frames(), 1u);
  EXPECT_EQ(ink->FrameCache().bytes(), 36u);
  ink->Update(160, node);
  ink->FreeCaches();  // the host discards the evaluated state
  ink->Update(0, node);
  EXPECT_EQ(sourceCalls, 2);  // frame 0 came back from the cache
  EXPECT_EQ(ink->NumParticles(), 3);
  // Without a node the positions stay in object space.
  ink->FreeCaches();
  ink->UpdateParticles(0, nullptr);
  EXPECT_EQ(ink->parts.points[0], Point3(1, 2, 3));
}

TEST_F(InkHostTest, EmptyFramesAreNotStored) {
  sourceSize = 0;
  ink->Update(0, node);
  EXPECT_EQ(ink->NumParticles(), 0);
  EXPECT_EQ(ink->FrameCache().frames(), 0u);
}

TEST_F(InkHostTest, AnyChangeEmptiesTheCacheAndRefreshesItsRollout) {
  ink->BeginEditParams(&core, 0, nullptr);
  ink->Update(0, node);
  ASSERT_EQ(ink->FrameCache().frames(), 1u);
  const int before = GetInkParamBlockDesc()->UIInvalidations();
  IParamMap2* about = GetInkDesc()->GetParamMap(GetInkParamBlockDesc(), 11);
  ASSERT_NE(about, nullptr);
  ink->pblock2->SetValue(ink::param::showMark, 0, false);  // display only, still a change
  EXPECT_EQ(ink->FrameCache().frames(), 0u);
  EXPECT_EQ(ink->FrameCache().bytes(), 0u);
  EXPECT_TRUE(ink->VortexTrackRebuildPending());
  EXPECT_TRUE(ink->SwirlTrackRebuildPending());
  EXPECT_FALSE(ink->valid);
  EXPECT_EQ(GetInkParamBlockDesc()->UIInvalidations(), before + 1);
  EXPECT_EQ(GetInkParamBlockDesc()->LastInvalidatedParam(), ink::param::showMark);
  EXPECT_EQ(about->Invalidations(), 1);
  EXPECT_EQ(GetInkDesc()->GetParamMap(GetInkParamBlockDesc(), 0)->Invalidations(), 0);
  ink->Update(0, node);
  EXPECT_EQ(sourceCalls, 2);  // simulated again
}

TEST_F(InkHostTest, EditingOpensTheBasePanelAndFourteenRolloutsWithTheClearProcedure) {
  ink->BeginEditParams(&core, 0, nullptr);
  EXPECT_EQ(SimpleParticle::editOb, ink);
  ASSERT_EQ(GetInkDesc()->OpenRollouts().size(), 14u);
  for (const OpenRollout& r : GetInkDesc()->OpenRollouts()) {
    EXPECT_NE(r.paramMap->GetUserDlgProc(), nullptr);
    EXPECT_EQ(r.paramMap->GetParamBlock(), ink->pblock2);
  }
  ink->EndEditParams(&core, 0, nullptr);
  EXPECT_TRUE(GetInkDesc()->OpenRollouts().empty());
  EXPECT_EQ(SimpleParticle::editOb, nullptr);
}

TEST_F(InkHostTest, ClearButtonsEmptyFilesMapsMaterialsAndNodesAsOneUndoStep) {
  IParamBlock2& pb = *ink->pblock2;
  INode* cloth = core.CreateObjectNode(newInk(), L"Cloth");
  auto* mtl = new InkMtl();
  auto* map = new host::ConstantMap();
  pb.SetValue(ink::param::prtInFile, 0, L"in/ink_0001.prt");
  pb.SetValue(ink::param::silkSource, 0, cloth);
  pb.SetValue(ink::param::particleMtl, 0, mtl);
  pb.SetValue(ink::param::colorMap, 0, map);
  ink->BeginEditParams(&core, 0, nullptr);
  const int redraws = core.RedrawCount();

  EXPECT_EQ(click(2001 + 2 * ink::param::prtInFile, 9), TRUE);
  EXPECT_STREQ(pb.GetStr(ink::param::prtInFile), L"");
  EXPECT_EQ(theHold.UndoDepth(), 1);
  EXPECT_EQ(theHold.UndoName(), L"Clear");
  EXPECT_EQ(GetInkDesc()->GetParamMap(GetInkParamBlockDesc(), 9)->Invalidations(), 2);  // change + clear
  EXPECT_EQ(core.RedrawCount(), redraws + 1);

  EXPECT_EQ(click(2001 + 2 * ink::param::silkSource, 4), TRUE);
  EXPECT_EQ(pb.GetINode(ink::param::silkSource), nullptr);
  EXPECT_EQ(click(2001 + 2 * ink::param::particleMtl, 6), TRUE);
  EXPECT_EQ(pb.GetMtl(ink::param::particleMtl), nullptr);
  EXPECT_EQ(click(2001 + 2 * ink::param::colorMap, 6), TRUE);
  EXPECT_EQ(pb.GetTexmap(ink::param::colorMap), nullptr);
  EXPECT_EQ(theHold.UndoDepth(), 4);

  // Undo brings back what was cleared, the material included.
  ASSERT_TRUE(theHold.Undo());
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(pb.GetMtl(ink::param::particleMtl), mtl);
  EXPECT_EQ(pb.GetTexmap(ink::param::colorMap), map);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_EQ(pb.GetINode(ink::param::silkSource), cloth);
  ASSERT_TRUE(theHold.Undo());
  EXPECT_STREQ(pb.GetStr(ink::param::prtInFile), L"in/ink_0001.prt");
  ASSERT_TRUE(theHold.Redo());
  EXPECT_STREQ(pb.GetStr(ink::param::prtInFile), L"");
}

TEST_F(InkHostTest, OtherClicksClearNothingAndLeaveNoUndoEntry) {
  IParamBlock2& pb = *ink->pblock2;
  INode* spinner = core.CreateObjectNode(newInk(), L"Spinner");
  pb.Append(ink::param::vortexObjects, 1, &spinner);
  ink->BeginEditParams(&core, 0, nullptr);
  struct Case {
    int control;
    MapID map;
    const char* why;
  };
  const Case cases[] = {
      {2001 + 2 * 211, 0, "odd id past the last parameter"},
      {2599, 0, "last odd id of the range, no parameter"},
      {2001 + 2 * ink::param::radius, 0, "a float's spinner"},
      {2001 + 2 * ink::param::vortexObjects, 2, "a node list's add button"},
      {2000 + 2 * ink::param::silkSource, 4, "even id: the pick button itself"},
      {2601, 0, "outside the clear range"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(click(c.control, c.map), FALSE) << c.why;
    EXPECT_EQ(theHold.UndoDepth(), 0) << c.why;
  }
  EXPECT_EQ(pb.Count(ink::param::vortexObjects), 1);
  EXPECT_FLOAT_EQ(pb.GetFloat(ink::param::radius), 50.f);
  // A notification other than a click is not a clear either.
  IParamMap2* m = GetInkDesc()->GetParamMap(GetInkParamBlockDesc(), 9);
  EXPECT_EQ(m->SendCommand(0, 2001 + 2 * ink::param::prtInFile, 1), FALSE);
  EXPECT_FALSE(theHold.Holding());
}

TEST_F(InkHostTest, CreationPlacesTheCentreAndDragsTheRadius) {
  host::CreationResult r = host::driveCreation(ink->GetCreateMouseCallBack(), {{5, 5}, {8, 9}, {11, 13}});
  EXPECT_EQ(r.result, CREATE_STOP);
  EXPECT_EQ(r.mat.GetTrans(), Point3(5, 5, 0));
  EXPECT_FLOAT_EQ(ink->pblock2->GetFloat(ink::param::radius), 10.f);
  r = host::driveCreation(ink->GetCreateMouseCallBack(), {{5, 5}, {5, 5}});
  EXPECT_FLOAT_EQ(ink->pblock2->GetFloat(ink::param::radius), 0.1f);  // a short drag
  EXPECT_EQ(host::abortCreation(ink->GetCreateMouseCallBack()), CREATE_ABORT);
}

TEST_F(InkHostTest, DisplayDrawsTheSphereAndTheMarkUnlessHidden) {
  ViewExp view;
  ink->Display(0, node, &view, 0);
  const std::size_t withMark = view.getGW()->segments().size();
  EXPECT_GT(withMark, static_cast<std::size_t>(64 * 32 + 31 * 64));
  view.getGW()->clear();
  ink->pblock2->SetValue(ink::param::showMark, 0, false);
  ink->Display(0, node, &view, 0);
  EXPECT_EQ(view.getGW()->segments().size(), static_cast<std::size_t>(64 * 32 + 31 * 64));
  view.getGW()->clear();
  EXPECT_EQ(ink->Display(0, nullptr, &view, 0), 0);
  EXPECT_TRUE(view.getGW()->segments().empty());
}

TEST_F(InkHostTest, RendersNothingThroughTheHostAndNamesItsParameters) {
  View v;
  BOOL needDelete = TRUE;
  Mesh* m = ink->GetRenderMesh(0, node, v, needDelete);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->getNumFaces(), 0);
  EXPECT_EQ(needDelete, FALSE);
  EXPECT_EQ(ink->SubAnimName(0), L"Parameters");
  EXPECT_EQ(ink->SubAnim(0), ink->pblock2);
  EXPECT_EQ(ink->GetValidity(77), Interval(77, 77));
  EXPECT_STREQ(ink->GetObjectName(), L"Tessaron Orb Ink");
}

TEST_F(InkHostTest, CloneCopiesTheBlockButNoCachedFrames) {
  ink->pblock2->SetValue(ink::param::seed, 0, 7);
  ink->Update(0, node);
  RemapDir remap;
  auto* copy = static_cast<InkObject*>(ink->Clone(remap));
  EXPECT_NE(copy->pblock2, ink->pblock2);
  EXPECT_EQ(copy->pblock2->GetInt(ink::param::seed), 7);
  EXPECT_EQ(copy->FrameCache().frames(), 0u);
  EXPECT_EQ(copy->NumParticles(), 0);
  copy->DeleteThis();
}

TEST(ViewportFrameCacheTest, StoresFramesUpToTheBudgetInclusive) {
  EXPECT_EQ(ink::ViewportFrameCache().budget(), 1572864000u);
  ink::ViewportFrameCache cache(120);  // ten positions
  EXPECT_NE(cache.store(0, std::vector<Point3>(6)), nullptr);
  EXPECT_NE(cache.store(1, std::vector<Point3>(4)), nullptr);  // exactly at the budget
  EXPECT_EQ(cache.bytes(), 120u);
  EXPECT_EQ(cache.store(2, std::vector<Point3>(1)), nullptr);  // one position over
  EXPECT_EQ(cache.find(2), nullptr);
  EXPECT_EQ(cache.store(3, {}), nullptr);                      // empty frames are never kept
  // Replacing a frame counts only the new size.
  EXPECT_NE(cache.store(0, std::vector<Point3>(5)), nullptr);
  EXPECT_EQ(cache.bytes(), 108u);
  EXPECT_EQ(cache.store(1, std::vector<Point3>(6)), nullptr);  // 60 + 72 > 120
  EXPECT_EQ(cache.find(1)->size(), 4u);                        // the old frame stays
  EXPECT_EQ(cache.bytes(), 108u);
  cache.clear();
  EXPECT_EQ(cache.bytes(), 0u);
  EXPECT_EQ(cache.frames(), 0u);
}

TEST(ViewportFrameCacheTest, TheDefaultBudgetHoldsItsLastPositionAndNoMore) {
  ink::ViewportFrameCache cache;
  const std::size_t all = cache.budget() / ink::ViewportFrameCache::kBytesPerPosition;
  EXPECT_TRUE(cache.fits(all));
  EXPECT_FALSE(cache.fits(all + 1));
  EXPECT_FALSE(cache.fits(static_cast<std::size_t>(-1)));  // no overflow on absurd sizes
}
