// The GPU bake driver on the configured device (the cpu backend's emulated
// one in CI): the same frames as the CPU solver, one bake at a time, and
// every failure falling back to the CPU with its reason in the status.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "gpu/Device.h"
#include "orb/ClothSolver.h"
#include "orb/ClothStep.h"
#include "orb/GpuClothSolver.h"
#include "orb/OrbObject.h"
#include "orb/VeilBake.h"
#include "orb/VeilRest.h"
#include "plugin/ClassDescriptors.h"

using namespace orb;

namespace {

struct GpuClothTest : ::testing::Test {
  Params p = defaultParams();
  ClothGrid grid{};
  std::vector<Vec> rest;
  void SetUp() override {
    p.simLength = 24;
    p.simWidth = 12;
    p.veilCount = 2;
    p.loopSeconds = 0.8f;
    p.substeps = 2;
    grid = clothGridFor(p);
    rest = restShape(p, grid);
    gpu::faults::reset();
    gpu::getLastError();
  }
  void TearDown() override { gpu::faults::reset(); }

  std::size_t freeDeviceBytes() {
    std::size_t freeBytes = 0, total = 0;
    gpu::memGetInfo(&freeBytes, &total);
    return freeBytes;
  }
  // A bake through the driver: the frames and the status it reports.
  VeilCache bake(const Params& params) {
    VeilCache cache;
    bakeVeils(params, VeilSourceSet{}, cache);
    return cache;
  }
};

bool sameBits(const std::vector<Vec>& a, const std::vector<Vec>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Vec)) == 0;
}

}  // namespace

// The kernel runs the very step the CPU solver runs, with the row and column
// drive computed per thread from the same functions, so on the emulated
// device the frames agree bit for bit.
TEST_F(GpuClothTest, DeviceFramesEqualTheCpuSolversFrames) {
  std::vector<Vec> device;
  std::string status;
  ASSERT_TRUE(recordClothGpu(p, grid, rest, device, status)) << status;
  std::string name;
  ASSERT_EQ(gpu::getDeviceName(0, &name), gpu::Success);
  EXPECT_EQ(status, "CUDA: " + name + " cloth solver");
  EXPECT_TRUE(sameBits(device, recordClothCpu(p, grid, rest)));
}

TEST_F(GpuClothTest, BakesOneAfterAnotherEqualEachAlone) {
  Params other = p;
  other.gravity = -5.f;
  other.seed = 7;
  std::vector<Vec> first, second, alone;
  std::string s1, s2, s3;
  ASSERT_TRUE(recordClothGpu(p, grid, rest, first, s1));
  ASSERT_TRUE(recordClothGpu(other, grid, restShape(other, grid), second, s2));
  ASSERT_TRUE(recordClothGpu(other, grid, restShape(other, grid), alone, s3));
  EXPECT_TRUE(sameBits(second, alone));
  EXPECT_FALSE(sameBits(first, second));
  // Concurrent bakes wait for each other and still give the same frames.
  std::vector<Vec> a, b;
  std::string sa, sb;
  std::thread t([&] { recordClothGpu(p, grid, rest, a, sa); });
  recordClothGpu(other, grid, restShape(other, grid), b, sb);
  t.join();
  EXPECT_TRUE(sameBits(a, first));
  EXPECT_TRUE(sameBits(b, alone));
}

TEST_F(GpuClothTest, EveryFailureFallsBackWithItsReason) {
  const std::vector<Vec> cpu = bake([&] {
    Params q = p;
    q.useCUDA = 0;
    return q;
  }()).frameData;
  const std::size_t before = freeDeviceBytes();
  struct Case {
    const char* what;
    void (*arm)();
    const char* status;
  } cases[] = {
      {"no device", [] { gpu::faults::setNoDevice(true); }, "CUDA unavailable"},
      {"rest buffer", [] { gpu::faults::failAllocation(1); }, "CUDA: out of memory, CPU fallback"},
      {"velocities", [] { gpu::faults::failAllocation(3); }, "CUDA: out of memory, CPU fallback"},
      {"recording", [] { gpu::faults::failAllocation(6); }, "CUDA: out of memory, CPU fallback"},
      {"upload", [] { gpu::faults::failCopy(1); }, "invalid argument"},
      {"a launch", [] { gpu::faults::failLaunch(17); }, "unspecified launch failure"},
      {"a recording copy", [] { gpu::faults::failCopy(5); }, "invalid argument"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gpu::faults::reset();
    c.arm();
    const VeilCache cache = bake(p);
    gpu::faults::reset();
    EXPECT_EQ(cache.solverName, c.status);
    EXPECT_FALSE(cache.usedGpu);
    EXPECT_TRUE(sameBits(cache.frameData, cpu));  // the CPU solver stood in
    EXPECT_EQ(freeDeviceBytes(), before);          // nothing left allocated
  }
}

TEST_F(GpuClothTest, TheDownloadFailingFallsBackToo) {
  const int F = loopFrames(p);
  // Two uploads, one recording copy per recorded frame, then the download.
  gpu::faults::failCopy(2 + 2 * F + 1);
  const VeilCache cache = bake(p);
  gpu::faults::reset();
  EXPECT_EQ(cache.solverName, "invalid argument");
  EXPECT_EQ(cache.frames, F);
}

TEST_F(GpuClothTest, AnUnnamedDeviceIsCalledCudaDevice) {
  gpu::faults::setNoDeviceName(true);
  const VeilCache cache = bake(p);
  EXPECT_EQ(cache.solverName, "CUDA device cloth solver");
  EXPECT_TRUE(cache.usedGpu);
}

TEST_F(GpuClothTest, TheOrbReportsTheDeviceInItsStatusLine) {
  auto* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  orb->pblock2->SetValue(param::loopSeconds, 0, 0.5f);
  orb->BuildMesh(0);
  std::string name;
  gpu::getDeviceName(0, &name);
  EXPECT_EQ(orb->SolverStatus().rfind(host::widen("CUDA: " + name + " cloth solver | 24 frames | "), 0), 0u);
  orb->DeleteThis();
}
