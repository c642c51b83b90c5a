// The ink object's evaluation against a scene: the summary and its failure
// texts, counts and weights per mode, the records gathered into ink space,
// the container's rebuilds and the PRT input's files, keys and reloads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "InkEvaluationFixture.h"
#include "gpu/Device.h"
#include "host/runtime/Geometry.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkObject.h"
#include "ink/InkParams.h"
#include "ink/sim/GpuContext.h"
#include "tests/formats/prt/PrtTestSupport.h"

namespace {

TEST_F(InkEvaluationTest, EverySourceOffSaysSoAndFails) {
  pb.SetValue(pid::inkEnabled, 0, 0);
  pb.SetValue(pid::prtInFile, 0, _M("/nowhere/ink_0001.prt"));
  pb.SetValue(pid::prtInOn, 0, 0);  // a file alone does not read it
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "no particle group enabled");
  EXPECT_TRUE(out.sources.empty());
  EXPECT_TRUE(ink->ViewportParticles(0).empty());
}

TEST_F(InkEvaluationTest, CountsWeightsAndIdsFollowTheMode) {
  pb.SetValue(pid::radius, 0, 40.f);
  pb.SetValue(pid::density, 0, 5.f);
  ASSERT_TRUE(evaluate(2 * kFrame, EvalMode::Render));
  EXPECT_EQ(ink->StatusText(), "ink 3000");
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.count, 3000);
  EXPECT_EQ(out.idBases[0], 0);
  EXPECT_FLOAT_EQ(out.weights[0], 2.f * std::numbers::pi_v<float> * 1600.f * 5.f / 3000.f);

  // Render count 0 takes 80 % of what the device holds, at least 1,000.
  setenv("ORB_INK_MAX_RESIDENT", "500", 1);
  pb.SetValue(pid::renderCount, 0, 0);
  ASSERT_TRUE(evaluate(2 * kFrame, EvalMode::Render));
  EXPECT_EQ(ink->StatusText(), "ink 1000 (streamed)");
  EXPECT_EQ(out.count, 1000);
  EXPECT_EQ(ink::groupIdBase(ink::kPrtGroup), std::int64_t{3} << 40);
}

TEST_F(InkEvaluationTest, ViewportAndRenderEnginesKeepTheirOwnState) {
  ASSERT_TRUE(evaluate(6 * kFrame, EvalMode::Viewport));
  const std::vector<orb::Vec> viewport = download(EvalMode::Viewport);
  ASSERT_TRUE(evaluate(12 * kFrame, EvalMode::Render));
  const auto& engines = ink->Evaluation();
  EXPECT_EQ(engines.inkEngine(EvalMode::Viewport)->count(), 1000);
  EXPECT_FLOAT_EQ(engines.inkEngine(EvalMode::Viewport)->currentTime(), 0.2f);
  EXPECT_EQ(engines.inkEngine(EvalMode::Render)->count(), 3000);
  EXPECT_FLOAT_EQ(engines.inkEngine(EvalMode::Render)->currentTime(), 0.4f);
  EXPECT_EQ(download(EvalMode::Viewport), viewport);

  // Viewport particles are the viewport engine's, and scrubbing back to a
  // shown frame is a cache hit that leaves the engine where it stands.
  ink->UpdateParticles(6 * kFrame, inkNode);
  ASSERT_EQ(ink->parts.Count(), 1000);
  EXPECT_EQ(ink->parts.points[17], Point3(viewport[17].x, viewport[17].y, viewport[17].z));
  ink->UpdateParticles(9 * kFrame, inkNode);
  ink->UpdateParticles(6 * kFrame, inkNode);
  EXPECT_FLOAT_EQ(engines.inkEngine(EvalMode::Viewport)->currentTime(), 0.3f);
  EXPECT_EQ(ink->FrameCache().frames(), 2u);

  // Releasing the render engine leaves the viewport's alone.
  EXPECT_TRUE(ink->FreeGPU());
  EXPECT_FALSE(engines.inkEngine(EvalMode::Render)->configured());
  EXPECT_TRUE(engines.inkEngine(EvalMode::Viewport)->hasState());
}

// Every record lands in the ink node's own space, whatever the node's
// rotation, scale and position.
TEST_F(InkEvaluationTest, ARotatedScaledInkNodeMapsEveryRecordIntoInkSpace) {
  inkNode->Transform().position.SetConstant(Point3(10.f, -20.f, 5.f));
  inkNode->Transform().rotation.SetConstant(Point3(30.f, 0.f, 60.f));
  inkNode->Transform().scale.SetConstant(Point3(2.f, 2.f, 2.f));
  const Matrix3 toInk = Inverse(inkNode->GetObjectTM(0));

  INode* spinner = meshNode(new host::BoxObject(), L"Spinner", Point3(0.f, 30.f, 40.f));
  spinner->Transform().rotation.SetConstant(Point3(90.f, 0.f, 0.f));
  spinner->SetUserPropBuffer(_M("strength = 0\ncore = 0.5"));
  INode* plain = meshNode(new host::BoxObject(), L"Plain", Point3(5.f, 5.f, 5.f));
  INode* nodes[] = {spinner, plain};
  pb.Append(pid::vortexObjects, 2, nodes);
  INode* emitter = meshNode(new host::BoxObject(Point3(4.f, 6.f, 8.f)), L"Emitter", Point3(-30.f, 0.f, 10.f));
  pb.Append(pid::emitterObjects, 1, &emitter);
  pb.SetValue(pid::radius, 0, 40.f);
  pb.SetValue(pid::loop, 0, 0);

  ASSERT_TRUE(evaluate(0)) << ink->StatusText();
  const ink::VortexTrack& track = ink->Evaluation().track();
  ASSERT_EQ(track.tubesPerFrame, 5);  // two whirlpools, one inner vortex, two objects
  EXPECT_EQ(track.frames, 31);
  const ink::Tube& user = track.tubes[3];
  const Point3 centre = Point3(0.f, 30.f, 40.f) * toInk;
  EXPECT_NEAR(user.centre.x, centre.x, 1e-4f);
  EXPECT_NEAR(user.centre.y, centre.y, 1e-4f);
  EXPECT_NEAR(user.centre.z, centre.z, 1e-4f);
  const Point3 axis = VectorTransform(toInk, Point3(0.f, -1.f, 0.f)).Normalize();  // local Z turned by 90° about X
  EXPECT_NEAR(user.axis.x, axis.x, 1e-5f);
  EXPECT_NEAR(user.axis.y, axis.y, 1e-5f);
  EXPECT_NEAR(user.axis.z, axis.z, 1e-5f);
  EXPECT_EQ(user.strength, 0.f);  // the node's own strength of 0 is kept
  EXPECT_FLOAT_EQ(user.core, 0.5f * 40.f);
  EXPECT_FLOAT_EQ(user.a, 0.6f * 40.f);
  EXPECT_EQ(user.kind, 2);
  const ink::Tube& plainTube = track.tubes[4];  // parameters: strength 15, core 0.2, length 0.6
  EXPECT_FLOAT_EQ(plainTube.core, 0.2f * 40.f);
  EXPECT_FLOAT_EQ(plainTube.strength, 40.f / 50.f * 15.f * plainTube.core);

  const std::vector<ink::Tri>& tris = ink->Evaluation().emitters();
  ASSERT_EQ(tris.size(), 12u);
  for (const ink::Tri& tri : tris)
    for (const orb::Vec& v : {tri.v0, tri.v1, tri.v2}) {
      const Point3 world = Point3(v.x, v.y, v.z) * inkNode->GetObjectTM(0);
      EXPECT_NEAR(std::fabs(world.x + 30.f), 2.f, 1e-3f);
      EXPECT_NEAR(std::fabs(world.y), 3.f, 1e-3f);
      EXPECT_NEAR(std::fabs(world.z - 10.f), 4.f, 1e-3f);
    }

  // A later evaluation without a change keeps the track; a change rebuilds it.
  EXPECT_FALSE(ink->VortexTrackRebuildPending());
  const float plainCore = plainTube.core;
  pb.SetValue(pid::objectStrength, 0, 20.f);
  EXPECT_TRUE(ink->VortexTrackRebuildPending());
  ASSERT_TRUE(evaluate(0));
  EXPECT_FLOAT_EQ(track.tubes[4].strength, 40.f / 50.f * 20.f * plainCore);
}

TEST_F(InkEvaluationTest, ATrackTooLongForTheHostIsAOneLineStatusAndIsRetried) {
  pb.SetValue(pid::loop, 0, 0);
  ASSERT_TRUE(core.SetFrameRate(4800));
  core.SetAnimRange(Interval(0, 2000000000));  // 240 GB of tubes: refused up front
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "not enough system memory for the vortex track (2000000001 frames)");
  EXPECT_TRUE(ink->VortexTrackRebuildPending());
  core.SetFrameRate(30);
  core.SetAnimRange(Interval(0, 30 * kFrame));
  EXPECT_TRUE(evaluate(0));
  EXPECT_EQ(ink->Evaluation().track().frames, 31);
}

TEST_F(InkEvaluationTest, AFailedContainerStaysVisibleAndIsBuiltAgainNextTime) {
  INode* box = meshNode(new host::BoxObject(Point3(60.f, 60.f, 60.f)), L"Tank", Point3(0.f, 0.f, 0.f));
  pb.SetValue(pid::containerObject, 0, box);
  pb.SetValue(pid::containerRes, 0, 16);
  gpu::faults::failAllocation(1);  // the container's first buffer
  ASSERT_TRUE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "ink 1000, container: GPU out of memory (container)");
  EXPECT_TRUE(ink->Evaluation().container().signature.empty());

  ASSERT_TRUE(evaluate(kFrame));
  EXPECT_EQ(ink->StatusText(), "ink 1000");
  EXPECT_EQ(ink->Evaluation().container().grid.builds(), 1);
  for (const orb::Vec& p : download(EvalMode::Viewport)) {
    EXPECT_LE(std::fabs(p.x), 30.f);
    EXPECT_LE(std::fabs(p.y), 30.f);
    EXPECT_LE(std::fabs(p.z), 30.f);
  }
  // Without a node the sphere is the container again and nothing is kept.
  pb.SetValue(pid::containerObject, 0, static_cast<INode*>(nullptr));
  ASSERT_TRUE(evaluate(kFrame));
  EXPECT_FALSE(ink->Evaluation().container().inUse);
  EXPECT_EQ(ink->Evaluation().container().grid.grid(), nullptr);
}

// A container edited so that its new grid lands in the same buffer with the
// same bounds leaves the engine's record byte-identical; the particles must
// still be those of the new container.
TEST_F(InkEvaluationTest, AnEditedContainerNeverLeavesStaleParticles) {
  auto* sphere = new host::SphereObject(45.f, 6);
  INode* tank = meshNode(sphere, L"Tank", Point3(0.f, 0.f, 0.f));
  pb.SetValue(pid::containerObject, 0, tank);
  pb.SetValue(pid::containerRes, 0, 16);
  ASSERT_TRUE(evaluate(9 * kFrame));
  tank->Transform().rotation.SetConstant(Point3(0.f, 0.f, 30.f));  // same bounds, other facets
  ASSERT_TRUE(evaluate(9 * kFrame));
  EXPECT_EQ(ink->Evaluation().container().grid.builds(), 2);
  const std::vector<orb::Vec> edited = download(EvalMode::Viewport);

  InkObject* fresh = static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE)));
  core.CreateObjectNode(fresh, L"Fresh");
  fresh->GetParamBlock(0)->SetValue(pid::viewportCount, 0, 1000);
  fresh->GetParamBlock(0)->SetValue(pid::surfaceCount, 0, 2);
  fresh->GetParamBlock(0)->SetValue(pid::volumeCount, 0, 1);
  fresh->GetParamBlock(0)->SetValue(pid::containerObject, 0, tank);
  fresh->GetParamBlock(0)->SetValue(pid::containerRes, 0, 16);
  ink::EvaluatedSources freshOut;
  ASSERT_TRUE(fresh->Evaluate(9 * kFrame, EvalMode::Viewport, freshOut));
  std::vector<orb::Vec> expected;
  std::string error;
  ASSERT_TRUE(ink::downloadInk(const_cast<ink::InkSim&>(*fresh->Evaluation().inkEngine(EvalMode::Viewport)), 1000,
                               expected, nullptr, error));
  EXPECT_EQ(edited, expected);
}

// PRT input ------------------------------------------------------------------

prttest::Bytes prtFile(const std::vector<float>& xyz, const std::vector<float>& colours = {}) {
  prttest::PrtFileLayout layout;
  layout.count = static_cast<std::int64_t>(xyz.size() / 3);
  layout.channels = {{"Position", 4, 3, 0}};
  if (!colours.empty()) layout.channels.push_back({"Color", 4, 3, 12});
  const std::size_t record = colours.empty() ? 12 : 24;
  layout.records.resize(static_cast<std::size_t>(layout.count) * record);
  for (std::int64_t i = 0; i < layout.count; ++i) {
    std::memcpy(layout.records.data() + i * record, xyz.data() + 3 * i, 12);
    if (!colours.empty()) std::memcpy(layout.records.data() + i * record + 12, colours.data() + 3 * i, 12);
  }
  return prttest::buildPrt(layout);  // compressed by zlib itself
}

struct PrtInputTest : InkEvaluationTest {
  prttest::TempDir dir;
  void SetUp() override {
    InkEvaluationTest::SetUp();
    pb.SetValue(pid::inkEnabled, 0, 0);
    pb.SetValue(pid::prtInWorld, 0, 0);
  }
  void usePattern(const std::string& name) { pb.SetValue(pid::prtInFile, 0, host::widen(dir.file(name)).c_str()); }
  const ink::PrtInputStage& stage(EvalMode mode = EvalMode::Viewport) { return *ink->Evaluation().prtStage(mode); }
};

TEST_F(PrtInputTest, AFrameReadsItsFileOfTheSequenceWithEveryPositionExact) {
  std::vector<float> xyz;
  for (int i = 0; i < 3000; ++i) xyz.insert(xyz.end(), {0.1f * i, -0.37f * i, 1.f / (i + 1)});
  prttest::writeFile(dir.file("ink_0013.prt"), prtFile(xyz));
  prttest::writeFile(dir.file("ink_0012.prt"), prtFile({1.f, 2.f, 3.f}));
  usePattern("ink_0012.prt");
  pb.SetValue(pid::prtInFrameOffset, 0, 3);
  pb.SetValue(pid::prtInDensity, 0, 2.f);
  ASSERT_TRUE(evaluate(10 * kFrame)) << ink->StatusText();
  EXPECT_EQ(ink->StatusText(), "PRT 3000");
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out.idBases[0], ink::groupIdBase(ink::kPrtGroup));
  EXPECT_FLOAT_EQ(out.weights[0], 2.f * std::numbers::pi_v<float> * 2500.f * 2.f / 3000.f);
  EXPECT_EQ(stage().input().positions(), xyz);
  EXPECT_FLOAT_EQ(stage().extent(), 0.37f * 2999);

  // Streamed: positions exact, densities 1.0 where the file has none.
  std::vector<float> streamed(xyz.size()), density(3000);
  std::string error;
  ASSERT_TRUE(out.sources[0](
      [&](const ink::Chunk& c) {
        gpu::memcpy(streamed.data(), c.positions, 12 * c.count, gpu::CopyKind::DeviceToHost);
        gpu::memcpy(density.data(), c.weights, 4 * c.count, gpu::CopyKind::DeviceToHost);
        EXPECT_EQ(c.colours, nullptr);
        return true;
      },
      error));
  EXPECT_EQ(streamed, xyz);
  EXPECT_EQ(density, std::vector<float>(3000, 1.f));

  // The viewport limit reads every k-th particle: 3000 / 1000 → stride 3.
  pb.SetValue(pid::prtInViewport, 0, 1000);
  ASSERT_TRUE(evaluate(10 * kFrame));
  EXPECT_EQ(ink->StatusText(), "PRT 1000");
  EXPECT_EQ(stage().input().positions()[3], xyz[9]);
  EXPECT_EQ(ink->ViewportParticles(10 * kFrame).size(), 1000u);
}

TEST_F(PrtInputTest, OnlyAChangedKeyReadsTheFileAgain) {
  prttest::writeFile(dir.file("cloud.prt"), prtFile({1, 2, 3, 4, 5, 6}, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}));
  usePattern("cloud.prt");  // no digits: every frame reads the same file
  ASSERT_TRUE(evaluate(0));
  ASSERT_TRUE(evaluate(40 * kFrame));
  EXPECT_EQ(stage().fileReads(), 1);
  EXPECT_TRUE(stage().input().streamsColours());

  pb.SetValue(pid::prtInUseColor, 0, 0);
  ASSERT_TRUE(evaluate(40 * kFrame));
  EXPECT_EQ(stage().fileReads(), 2);
  EXPECT_FALSE(stage().input().streamsColours());

  // World-space files follow the ink node; moving it changes the key.
  pb.SetValue(pid::prtInWorld, 0, 1);
  inkNode->Transform().position.SetConstant(Point3(1.f, 1.f, 1.f));
  ASSERT_TRUE(evaluate(40 * kFrame));
  EXPECT_EQ(stage().fileReads(), 3);
  EXPECT_EQ(stage().input().positions(), (std::vector<float>{0, 1, 2, 3, 4, 5}));
  // Render mode keeps a key and particles of its own.
  ASSERT_TRUE(evaluate(40 * kFrame, EvalMode::Render));
  EXPECT_EQ(stage(EvalMode::Render).fileReads(), 1);
}

TEST_F(PrtInputTest, UnreadableFilesFailTheEvaluationWithTheirName) {
  usePattern("missing_0001.prt");
  EXPECT_FALSE(evaluate(5 * kFrame));
  EXPECT_EQ(ink->StatusText(), "PRT input: cannot read " + dir.file("missing_0005.prt"));

  prttest::Bytes notPrt = prtFile({1, 2, 3});
  notPrt[1] = 'Q';
  prttest::writeFile(dir.file("bad.prt"), notPrt);
  usePattern("bad.prt");
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "PRT input: cannot read " + dir.file("bad.prt"));

  // A header that passes the probe but whose data is cut: the reader's text,
  // and the key is cleared so the next evaluation reads again.
  prttest::Bytes cut = prtFile({1, 2, 3, 4, 5, 6, 7, 8, 9});
  cut.resize(cut.size() - 20);
  prttest::writeFile(dir.file("cut.prt"), cut);
  usePattern("cut.prt");
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText().rfind("PRT input: ", 0), 0u);
  EXPECT_TRUE(stage().key().empty());

  // A name too long for the host's buffer is refused, never cut to another file.
  pb.SetValue(pid::prtInFile, 0, host::widen(std::string(1024, 'a')).c_str());
  EXPECT_FALSE(evaluate(0));
  EXPECT_EQ(ink->StatusText(), "PRT input: the file name is longer than 1023 bytes");
}

}  // namespace
