// The scene runtime's particle system: spawning, integration under bound
// space warps through their force fields, restarts, and binding faults.
#include <gtest/gtest.h>

#include "host/runtime/Geometry.h"
#include "host/runtime/ParticleEmitter.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/SpaceWarp.h"

namespace {
// A uniform pull of one unit per frame squared down -Z.
class FallField : public ForceField {
 public:
  explicit FallField(int* live) : live_(live) { ++*live_; }
  ~FallField() override { --*live_; }
  Point3 Force(TimeValue, const Point3&, const Point3&, int) override { return Point3(0.f, 0.f, -1.f); }
  void DeleteThis() override { delete this; }

 private:
  int* live_;
};

class FallWarp : public WSMObject {
 public:
  int liveFields = 0;
  Modifier* CreateWSMMod(INode*) override { return nullptr; }
  ForceField* GetForceField(INode*) override { return new FallField(&liveFields); }
};

struct EmitterTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  FallWarp* warp = new FallWarp();
  INode* warpNode = nullptr;
  void SetUp() override {
    core.ResetScene();
    core.SetFrameRate(30);
    core.SetAnimRange(Interval(0, 100 * 160));
    warpNode = core.CreateObjectNode(warp, _M("Fall"));
  }
  void TearDown() override { core.ResetScene(); }
  host::ParticleEmitter* emitter(const host::EmitterSettings& s, const Point3& at = {}) {
    auto* e = new host::ParticleEmitter(s);
    INode* n = core.CreateObjectNode(e, _M("Dust"));
    n->Transform().position.SetConstant(at);
    return e;
  }
};
}  // namespace

TEST_F(EmitterTest, SpawnsInsideTheBoxAroundItsNode) {
  host::EmitterSettings s;
  s.count = 200;
  s.boxSize = Point3(2.f, 4.f, 6.f);
  host::ParticleEmitter* e = emitter(s, Point3(10.f, 0.f, 0.f));
  e->Eval(0);
  ASSERT_EQ(e->NumParticles(), 200);
  for (int i = 0; i < 200; ++i) {
    const Point3 p = e->ParticlePosition(0, i);
    EXPECT_LE(std::fabs(p.x - 10.f), 1.f);
    EXPECT_LE(std::fabs(p.y), 2.f);
    EXPECT_LE(std::fabs(p.z), 3.f);
  }
  // Without warps nothing moves.
  EXPECT_EQ(e->ParticlePosition(50 * 160, 7), e->ParticlePosition(0, 7));
}

TEST_F(EmitterTest, IntegratesTheBoundWarpsForce) {
  host::EmitterSettings s;
  s.count = 3;
  s.boxSize = Point3(0.f, 0.f, 0.f);
  host::ParticleEmitter* e = emitter(s);
  ASSERT_TRUE(e->BindSpaceWarp(warpNode));
  // Four steps of a quarter frame: v = -1, z = -(1 + 2 + 3 + 4) / 16.
  EXPECT_FLOAT_EQ(e->ParticlePosition(160, 0).z, -0.625f);
  EXPECT_FLOAT_EQ(e->Particles().vels[0].z, -1.f);
  // Forward continues, backward restarts; both give the same state.
  EXPECT_FLOAT_EQ(e->ParticlePosition(320, 1).z, -36.f / 16.f);
  EXPECT_FLOAT_EQ(e->ParticlePosition(160, 1).z, -0.625f);
  EXPECT_EQ(warp->liveFields, 0);  // every field handed back
}

TEST_F(EmitterTest, RefusesNodesWithoutASpaceWarpAndOutlivesNoWarp) {
  host::ParticleEmitter* e = emitter({});
  EXPECT_FALSE(e->BindSpaceWarp(nullptr));
  EXPECT_FALSE(e->BindSpaceWarp(core.CreateObjectNode(new host::BoxObject(), _M("Box"))));
  EXPECT_EQ(e->NumSpaceWarps(), 0);
  ASSERT_TRUE(e->BindSpaceWarp(warpNode));
  // Deleting the warp's node unbinds it; the emitter keeps working.
  warpNode->Detach();
  delete warpNode;
  EXPECT_EQ(e->GetReference(0), nullptr);
  EXPECT_EQ(e->ParticlePosition(160, 0), e->ParticlePosition(0, 0));
}

TEST_F(EmitterTest, DeletingTheEmitterLeavesTheWarpNode) {
  host::ParticleEmitter* e = emitter({});
  ASSERT_TRUE(e->BindSpaceWarp(warpNode));
  INode* dust = core.GetINodeByName(_M("Dust"));
  dust->SetObjectRef(nullptr);
  ASSERT_EQ(core.GetINodeByName(_M("Fall")), warpNode);
  EXPECT_EQ(warpNode->GetObjectRef(), warp);
}
