#pragma once
// An ink object in a scene at 30 frames per second with small viewport and
// render counts, and the helpers the evaluation tests share.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gpu/Device.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkObject.h"
#include "ink/InkParams.h"
#include "orb/OrbObject.h"
#include "orb/OrbParams.h"

namespace {
namespace pid = ink::param;
using ink::EvalMode;

constexpr TimeValue kFrame = 160;  // 30 frames per second

template <class T>
T* create(ClassDesc2* desc) {
  return static_cast<T*>(static_cast<Animatable*>(desc->Create(FALSE)));
}

struct InkEvaluationTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  InkObject* ink = static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE)));
  INode* inkNode = core.CreateObjectNode(ink, L"Ink");
  IParamBlock2& pb = *ink->GetParamBlock(0);
  ink::EvaluatedSources out;

  void SetUp() override {
    core.SetFrameRate(30);
    core.SetAnimRange(Interval(0, 30 * kFrame));
    pb.SetValue(pid::viewportCount, 0, 1000);
    pb.SetValue(pid::renderCount, 0, 3000);
    pb.SetValue(pid::surfaceCount, 0, 2);
    pb.SetValue(pid::volumeCount, 0, 1);
  }
  void TearDown() override {
    gpu::faults::reset();
    unsetenv("ORB_INK_MAX_RESIDENT");
    core.ResetScene();
  }
  bool evaluate(TimeValue t, EvalMode mode = EvalMode::Viewport) { return ink->Evaluate(t, mode, out); }
  INode* meshNode(Object* obj, const MCHAR* name, Point3 position) {
    INode* node = core.CreateObjectNode(obj, name);
    node->Transform().position.SetConstant(position);
    return node;
  }
  // A glass orb with a short veil loop, baked by the CPU solver.
  INode* orbNode() {
    OrbObject* orb = create<OrbObject>(GetOrbDesc());
    orb->pblock2->SetValue(orb::param::loopSeconds, 0, 0.5f);
    orb->pblock2->SetValue(orb::param::substeps, 0, 1);
    orb->pblock2->SetValue(orb::param::useCUDA, 0, false);
    return core.CreateObjectNode(orb, L"Orb");
  }
  std::vector<orb::Vec> download(EvalMode mode) {
    std::vector<orb::Vec> positions;
    std::string error;
    EXPECT_TRUE(ink::downloadInk(const_cast<ink::InkSim&>(*ink->Evaluation().inkEngine(mode)), 1 << 30, positions,
                                 nullptr, error))
        << error;
    return positions;
  }
};

}  // namespace
