// Both backends must print the CUDA runtime's texts, so a log line reads the
// same whichever backend wrote it. (In the cuda build these come from the
// runtime itself, which pins the cpu backend's copies to the real ones.)
#include <gtest/gtest.h>

#include <string>

#include "gpu/Device.h"

TEST(ErrorString, MatchesTheRuntimeTexts) {
  EXPECT_STREQ(gpu::errorString(gpu::Success), "no error");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorInvalidValue), "invalid argument");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorMemoryAllocation), "out of memory");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorInitialization), "initialization error");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorInsufficientDriver),
               "CUDA driver version is insufficient for CUDA runtime version");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorNoDevice), "no CUDA-capable device is detected");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorInvalidDevice), "invalid device ordinal");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorInvalidResourceHandle), "invalid resource handle");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorLaunchFailure), "unspecified launch failure");
  EXPECT_STREQ(gpu::errorString(gpu::ErrorUnknown), "unknown error");
}

TEST(ErrorString, UnlistedCodeStillHasAText) {
  const char* text = gpu::errorString(static_cast<gpu::Status>(12345));
  ASSERT_NE(text, nullptr);
  EXPECT_FALSE(std::string(text).empty());
}
