// Source meshes replacing the veils' rest shapes: texture-space
// rasterisation, hole filling, transforms, the per-veil flags and the hash.
#include <gtest/gtest.h>

#include "host/runtime/Geometry.h"
#include "host/sdk/Interface.h"
#include "orb/OrbObject.h"
#include "orb/ReadParams.h"
#include "orb/VeilBake.h"
#include "orb/VeilRest.h"
#include "orb/VeilSources.h"
#include "plugin/ClassDescriptors.h"

using namespace orb;

namespace {

const std::vector<Point3> kSquare = {Point3(0.f, 0.f, 0.f), Point3(10.f, 0.f, 0.f), Point3(10.f, 10.f, 0.f),
                                     Point3(0.f, 10.f, 0.f)};

struct VeilSourceTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  OrbObject* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  INode* orbNode = core.CreateObjectNode(orb, L"Orb");
  void SetUp() override {
    orb->pblock2->SetValue(param::loopSeconds, 0, 0.5f);  // short bakes
    orb->pblock2->SetValue(param::substeps, 0, 1);
    orb->pblock2->SetValue(param::useCUDA, 0, false);
  }
  void TearDown() override { core.ResetScene(); }

  INode* plane(float w, float h, Point3 at = {}) {
    INode* n = core.CreateObjectNode(new host::PlaneObject(w, h), L"Plane");
    n->Transform().position.SetConstant(at);
    return n;
  }
  INode* mesh(const std::vector<Point3>& verts, const std::vector<Point3>& uvs) {
    auto* m = new host::MeshObject();
    m->source.verts = verts;
    m->source.setNumFaces(2);
    m->source.faces[0].setVerts(0, 1, 2);
    m->source.faces[1].setVerts(0, 2, 3);
    if (!uvs.empty()) {
      m->source.tVerts = uvs;
      m->source.setNumTVFaces(2);
      m->source.tvFace[0].setTVerts(0, 1, 2);
      m->source.tvFace[1].setTVerts(0, 2, 3);
    }
    return core.CreateObjectNode(m, L"Mesh");
  }
  void addSource(INode* n) { orb->pblock2->Append(param::veilSources, 1, &n); }
  VeilSourceSet sample(Params& p) {
    VeilSourceSet set;
    sampleVeilSources(*orb->pblock2, 0, p, orbNode->GetNodeTM(0), set);
    return set;
  }
};

}  // namespace

TEST_F(VeilSourceTest, APlaneMapsTextureSpaceOntoTheGrid) {
  addSource(plane(40.f, 20.f));
  Params p = readParams(*orb->pblock2, 0);
  const VeilSourceSet set = sample(p);
  ASSERT_EQ(set.hasSource.size(), 1u);
  EXPECT_EQ(set.hasSource[0], 1);
  EXPECT_NE(set.hash, 0u);
  const ClothGrid g = clothGridFor(p);
  for (int r = 0; r <= g.along; r += 8) {
    for (int c = 0; c <= g.across; c += 4) {
      const Vec q = set.positions[g.index(0, r, c)];
      EXPECT_NEAR(q.x, -20.f + 40.f * r / g.along, 1e-3f) << r << " " << c;
      EXPECT_NEAR(q.y, -10.f + 20.f * c / g.across, 1e-3f);
      EXPECT_NEAR(q.z, 0.f, 1e-5f);
    }
  }
}

TEST_F(VeilSourceTest, SourcesAreSeenFromTheOrbAndScaledToItsRadius) {
  addSource(plane(40.f, 20.f, {0.f, 0.f, 10.f}));
  orbNode->Transform().position.SetConstant(Point3(5.f, 0.f, 0.f));
  orb->pblock2->SetValue(param::radius, 0, 100.f);
  Params p = readParams(*orb->pblock2, 0);
  const VeilSourceSet set = sample(p);
  const ClothGrid g = clothGridFor(p);
  const Vec corner = set.positions[g.index(0, 0, 0)];
  EXPECT_NEAR(corner.x, (-20.f - 5.f) * 0.5f, 1e-3f);
  EXPECT_NEAR(corner.y, -10.f * 0.5f, 1e-3f);
  EXPECT_NEAR(corner.z, 10.f * 0.5f, 1e-3f);
}

TEST_F(VeilSourceTest, HolesTakeTheirFirstFilledNeighbour) {
  // Texture space covers only the first half of the band.
  addSource(mesh(kSquare, {Point3(0.f, 0.f, 0.f), Point3(0.5f, 0.f, 0.f), Point3(0.5f, 1.f, 0.f), Point3(0.f, 1.f, 0.f)}));
  Params p = readParams(*orb->pblock2, 0);
  const VeilSourceSet set = sample(p);
  ASSERT_EQ(set.hasSource.size(), 1u);
  const ClothGrid g = clothGridFor(p);
  for (int c = 0; c <= g.across; c += 8) {
    const Vec edge = set.positions[g.index(0, g.along / 2, c)];
    EXPECT_NEAR(edge.x, 10.f, 1e-3f);
    for (int r = g.along / 2 + 1; r <= g.along; ++r) {
      EXPECT_EQ(set.positions[g.index(0, r, c)].x, edge.x);
      EXPECT_EQ(set.positions[g.index(0, r, c)].y, edge.y);
    }
  }
}

TEST_F(VeilSourceTest, AMeshWithoutTextureCoordinatesKeepsTheProceduralShape) {
  addSource(mesh(kSquare, {}));
  Params p = readParams(*orb->pblock2, 0);
  const VeilSourceSet set = sample(p);
  EXPECT_FALSE(set.present());
  EXPECT_EQ(set.hash, 0u);
  orb->BuildMesh(0);
  const std::vector<Vec> procedural = restShape(p, clothGridFor(p));
  ASSERT_EQ(orb->Cache().rest.size(), procedural.size());
  EXPECT_EQ(orb->Cache().rest[100].x, procedural[100].x);
}

TEST_F(VeilSourceTest, MoreEntriesRaiseTheVeilCount) {
  INode* src = plane(40.f, 20.f);
  for (int i = 0; i < 5; ++i) addSource(src);
  Params p = readParams(*orb->pblock2, 0);
  ASSERT_EQ(p.veilCount, 1);
  const VeilSourceSet set = sample(p);
  EXPECT_EQ(p.veilCount, 4);
  EXPECT_EQ(set.hasSource, std::vector<std::uint8_t>(4, 1));
  EXPECT_EQ(set.positions.size(), static_cast<std::size_t>(clothGridFor(p).particles()));
}

TEST_F(VeilSourceTest, MovingASourceChangesTheHashAndSoTheBake) {
  INode* src = plane(40.f, 20.f);
  addSource(src);
  orb->BuildMesh(0);
  const std::uint64_t key = orb->Cache().key;
  const std::uint64_t hash = orb->Sources().hash;
  orb->BuildMesh(1);
  EXPECT_EQ(orb->Cache().key, key);  // nothing moved: the bake stands
  src->Transform().position.SetConstant(Point3(0.f, 0.f, 3.f));
  orb->BuildMesh(2);
  EXPECT_NE(orb->Sources().hash, hash);
  EXPECT_NE(orb->Cache().key, key);
}

TEST_F(VeilSourceTest, BakedRestPositionsStayInsideTheShell) {
  addSource(plane(400.f, 400.f));  // far larger than the orb
  orb->BuildMesh(0);
  const float limit = 50.f * (1.f - 0.05f);
  for (const Vec& r : orb->Cache().rest) EXPECT_LE(length(r), limit + 1e-3f);
  const Vec corner = orb->Cache().rest[0];
  EXPECT_NEAR(length(corner), limit, 1e-3f);
}
