// The orb's mesh build as the host sees it: what ends up in the host mesh,
// render switching, the texture seam, the failure rule and the status line.
#include <gtest/gtest.h>

#include <set>

#include "host/sdk/Debug.h"
#include "orb/OrbMesh.h"
#include "orb/OrbObject.h"
#include "orb/ReadParams.h"
#include "plugin/ClassDescriptors.h"

namespace {

// A short loop keeps each bake to a few milliseconds; the grid stays at its
// defaults so the counts below are those of a default orb.
struct OrbBuildTest : ::testing::Test {
  OrbObject* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  IParamBlock2& pb = *orb->pblock2;
  void SetUp() override {
    pb.SetValue(orb::param::loopSeconds, 0, 0.5f);
    pb.SetValue(orb::param::substeps, 0, 1);
    pb.SetValue(orb::param::useCUDA, 0, false);
  }
  void TearDown() override {
    OrbObject::SetBuildFailureForTesting(false);
    orb->DeleteThis();
  }
};

int sphereVerts(int s) { return 2 + (s / 2 - 1) * s; }
int sphereFaces(int s) { return 2 * s * (s / 2 - 1); }
int veilVerts(int N, int M) { return 2 * (N + 1) * (M + 1); }
int veilFaces(int N, int M) { return 4 * N * M + 4 * N + 4 * M; }

}  // namespace

TEST_F(OrbBuildTest, DefaultOrbHasShellHazeAndOneVeil) {
  orb->BuildMesh(0);
  const Mesh& m = orb->mesh;
  EXPECT_EQ(m.getNumVerts(), 2 * sphereVerts(48) + veilVerts(144, 48));
  EXPECT_EQ(m.getNumFaces(), 2 * sphereFaces(48) + veilFaces(144, 48));
  EXPECT_EQ(m.getNumTVerts(), 3 * m.getNumFaces());
  EXPECT_EQ(m.getNumVertCol(), m.getNumVerts());
  EXPECT_TRUE(m.normalsBuilt());
  std::set<std::pair<int, int>> idsAndGroups;
  for (const Face& f : m.faces) {
    idsAndGroups.insert({f.getMatID(), static_cast<int>(f.smGroup)});
    EXPECT_EQ(f.flags & EDGE_ALL, EDGE_ALL);
  }
  const std::set<std::pair<int, int>> expected = {{0, 1}, {1, 2}, {2, 4}, {3, 8}, {2, 12}};
  EXPECT_EQ(idsAndGroups, expected);
  for (const Point3& c : m.vertCol) {
    EXPECT_EQ(c.x, c.y);
    EXPECT_EQ(c.y, c.z);
  }
  EXPECT_EQ(orb->ivalid, Interval(0, 0));
}

TEST_F(OrbBuildTest, NothingShownGivesAnEmptyButValidMesh) {
  pb.SetValue(orb::param::showShell, 0, false);
  pb.SetValue(orb::param::showHaze, 0, false);
  pb.SetValue(orb::param::showVeil, 0, false);
  orb->BuildMesh(320);
  EXPECT_EQ(orb->mesh.getNumVerts(), 0);
  EXPECT_EQ(orb->mesh.getNumFaces(), 0);
  EXPECT_EQ(orb->ivalid, Interval(320, 320));
  EXPECT_EQ(orb->Cache().frames, 24);  // the bake runs whether or not the veil shows
}

TEST_F(OrbBuildTest, RenderingUsesRenderSegments) {
  orb->RenderBegin(0);
  orb->BuildMesh(0);
  EXPECT_EQ(orb->mesh.getNumFaces(), 2 * sphereFaces(128) + veilFaces(384, 128));
  orb->RenderEnd(0);
  orb->BuildMesh(0);
  EXPECT_EQ(orb->mesh.getNumFaces(), 2 * sphereFaces(48) + veilFaces(144, 48));
}

TEST_F(OrbBuildTest, SegmentCountsAreClamped) {
  pb.SetValue(orb::param::showVeil, 0, false);
  pb.SetValue(orb::param::viewportSegments, 0, 12);
  orb->BuildMesh(0);
  EXPECT_EQ(orb->mesh.getNumVerts(), 2 * sphereVerts(12));
  EXPECT_EQ(orb->mesh.getNumVerts(), 2 * 62);
}

TEST_F(OrbBuildTest, ThickShellsStopAtATenthOfTheRadius) {
  pb.SetValue(orb::param::showVeil, 0, false);
  pb.SetValue(orb::param::showHaze, 0, false);
  pb.SetValue(orb::param::shellThickness, 0, 0.3f);  // the block's top value
  orb->BuildMesh(0);
  const int n = sphereVerts(48);
  ASSERT_EQ(orb->mesh.getNumVerts(), 2 * n);
  EXPECT_FLOAT_EQ(orb->mesh.verts[n].z, 0.7f * 50.f);
  // The bound itself: a record asking for 0.95 builds the wall at 0.1 R.
  orb::Params p = orb::readParams(pb, 0);
  p.shellThickness = 0.95f;
  orb::OrbMeshBuffers b;
  orb::VeilScratch s;
  orb::buildOrbMesh(p, orb->Cache(), 0, 48, b, s);
  EXPECT_FLOAT_EQ(b.positions[n].z, 0.1f * 50.f);
}

TEST_F(OrbBuildTest, SphereFacesAcrossTheSeamDoNotWrapTheTexture) {
  pb.SetValue(orb::param::showVeil, 0, false);
  orb->BuildMesh(0);
  const Mesh& m = orb->mesh;
  int seamFaces = 0;
  for (int f = 0; f < m.getNumFaces(); ++f) {
    float lo = 10, hi = -10;
    for (int k = 0; k < 3; ++k) {
      lo = std::min(lo, m.tVerts[m.tvFace[f].t[k]].x);
      hi = std::max(hi, m.tVerts[m.tvFace[f].t[k]].x);
    }
    EXPECT_LE(hi - lo, 0.5f) << f;
    if (hi >= 1.f) ++seamFaces;  // the u = 0 corner moved to 1
  }
  EXPECT_GT(seamFaces, 0);
}

TEST_F(OrbBuildTest, AFailedBuildLeavesAnEmptyMeshAndSaysSo) {
  orb->BuildMesh(0);
  const std::uint64_t key = orb->Cache().key;
  host::clearDebugOutput();
  OrbObject::SetBuildFailureForTesting(true);
  orb->BuildMesh(160);
  EXPECT_EQ(orb->mesh.getNumVerts(), 0);
  EXPECT_EQ(orb->mesh.getNumFaces(), 0);
  EXPECT_TRUE(orb->mesh.normalsBuilt());
  EXPECT_EQ(orb->ivalid, Interval(160, 160));
  EXPECT_EQ(host::debugOutput(), L"Tessaron Iridel: mesh build failed\n");
  EXPECT_EQ(orb->Cache().key, key);  // the bake is untouched
  OrbObject::SetBuildFailureForTesting(false);
  orb->BuildMesh(320);
  EXPECT_GT(orb->mesh.getNumFaces(), 0);
}

TEST_F(OrbBuildTest, StatusLineReportsTheBake) {
  EXPECT_EQ(orb->SolverStatus(), L" | 0 frames | 0.00 s");
  orb->BuildMesh(0);
  const std::wstring status = orb->SolverStatus();
  EXPECT_EQ(status.rfind(L"CPU solver | 24 frames | ", 0), 0u) << status;
  const double seconds = orb->Cache().seconds;
  pb.SetValue(orb::param::speed, 0, 3.f);  // playback only: no new bake
  orb->BuildMesh(0);
  EXPECT_EQ(orb->Cache().seconds, seconds);
}

TEST_F(OrbBuildTest, KeptTopologyStillFollowsAnimatedParameters) {
  orb->BuildMesh(0);
  const Point3 north = orb->mesh.verts[0];
  AnimateOn();
  pb.SetValue(orb::param::radius, 0, 50.f);
  pb.SetValue(orb::param::radius, 100, 100.f);
  AnimateOff();
  orb->BuildMesh(100);
  EXPECT_FLOAT_EQ(orb->mesh.verts[0].z, 2.f * north.z);
}
