// The kernel module log keeps registrations in the order they happened,
// including those made while the program was loading.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gpu/KernelRegistry.h"

namespace {

const bool registeredAtLoad = (gpu::registerKernelModule("tests.registeredAtLoad"), true);

}  // namespace

TEST(KernelRegistry, KeepsModulesRegisteredAtLoad) {
  ASSERT_TRUE(registeredAtLoad);
  const auto& modules = gpu::registeredKernelModules();
  EXPECT_NE(std::find(modules.begin(), modules.end(), "tests.registeredAtLoad"), modules.end());
}

TEST(KernelRegistry, AppendsInRegistrationOrderAndSkipsUnnamed) {
  const std::size_t before = gpu::registeredKernelModules().size();
  gpu::registerKernelModule("tests.second");
  gpu::registerKernelModule(nullptr);
  gpu::registerKernelModule("tests.first");
  gpu::registerKernelModule("tests.second");  // a repeat is logged, not merged
  const auto& modules = gpu::registeredKernelModules();
  ASSERT_EQ(modules.size(), before + 3);
  EXPECT_EQ(std::vector<std::string>(modules.begin() + before, modules.end()),
            (std::vector<std::string>{"tests.second", "tests.first", "tests.second"}));
}
