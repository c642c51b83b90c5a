#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/gpu/TestDevice.h"

int main(int argc, char** argv) {
#if !defined(ORB_GPU_BACKEND_CUDA)
  // The cpu backend reads its capacity once, on first use: a small fixed
  // device keeps the accounting tests exact and independent of the machine.
  setenv("ORB_CPU_DEVICE_MB", std::to_string(testing_device::kCapacityMiB).c_str(), 1);
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
