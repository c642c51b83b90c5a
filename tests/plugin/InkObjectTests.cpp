// The ink object's scripting interface as scripts see it.
#include <gtest/gtest.h>

#include "ink/InkObject.h"
#include "plugin/ClassDescriptors.h"

namespace {
struct InkTest : ::testing::Test {
  InkObject* ink = static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE)));
  FPInterface* fp = dynamic_cast<FPInterface*>(ink->GetInterface(ORB_INK_INTERFACE_ID));
  void TearDown() override { ink->DeleteThis(); }
};
}  // namespace

TEST_F(InkTest, PublishesItsFunctionsWithTheirArguments) {
  ASSERT_NE(fp, nullptr);
  const FPInterfaceDesc& d = *fp->GetDesc();
  EXPECT_EQ(d.internal_name, L"orbInk");
  EXPECT_EQ(d.ID, Interface_ID(0x3B5D1E7A, 0x7C24F860));
  EXPECT_EQ(d.flags & FP_MIXIN, FP_MIXIN);
  const wchar_t* names[] = {L"inkStatus", L"renderFrame", L"renderSequence", L"exportPRT",
                            L"freeGPU", L"gpuCapacityMillions", L"exportVDB", L"renderOver"};
  ASSERT_EQ(d.Functions().size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_STREQ(d.Functions()[i].internal_name, names[i]);
  const FPFunctionDef& seq = *d.FindFunction(L"renderSequence");
  ASSERT_EQ(seq.args.size(), 6u);
  EXPECT_STREQ(seq.args[0].name, L"camera");
  EXPECT_EQ(seq.args[0].type, TYPE_INODE);
  EXPECT_STREQ(seq.args[3].name, L"pattern");
  EXPECT_EQ(seq.result_type, TYPE_INT);
  EXPECT_EQ(d.FindFunction(L"exportVDB")->args[3].type, TYPE_INT);
  EXPECT_EQ(d.FindFunction(L"gpuCapacityMillions")->result_type, TYPE_FLOAT);
}

TEST_F(InkTest, TooFewArgumentsRaiseTheHostMessageAndRunNothing) {
  FPValue result;
  FPParams two{FPValue::Node(nullptr), FPValue::Int(1)};
  MSTR error;
  EXPECT_EQ(fp->Invoke(InkFP::kRenderFrame, 0, result, &two, &error), FPS_FAIL);
  EXPECT_EQ(error, L"Argument index out of bounds, passed into a MaxSDK::Array::operator[]");
  EXPECT_EQ(ink->StatusText(), "");
}

TEST_F(InkTest, StatusCarriesTheDeviceAndFreeGpuItsOwnLine) {
  FPValue result;
  ASSERT_EQ(fp->Invoke(InkFP::kFreeGPU, 0, result, nullptr), FPS_OK);
  EXPECT_EQ(result.i, 1);
  ASSERT_EQ(fp->Invoke(InkFP::kInkStatus, 0, result, nullptr), FPS_OK);
  EXPECT_EQ(result.s.rfind(L"render buffers released | GPU: ", 0), 0u);
}
