// Settings read from the environment, checked in child processes because each
// process reads them once: thread count, capacity, and results that must not
// depend on the thread count.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <thread>

namespace {

struct ProbeReport {
  int threads = -1;
  std::size_t capacity = 0;
  std::string checksum;
};

// Runs the probe with only the given settings in its environment.
ProbeReport probe(const std::string& settings) {
  const std::string command =
      "env -u ORB_CPU_THREADS -u ORB_CPU_DEVICE_MB " + settings + " '" ORB_GPU_PROBE "'";
  ProbeReport report;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return report;
  std::array<char, 128> checksum{};
  if (std::fscanf(pipe, "threads=%d capacity=%zu checksum=%127s", &report.threads, &report.capacity,
                  checksum.data()) == 3) {
    report.checksum = checksum.data();
  }
  pclose(pipe);
  return report;
}

std::size_t halfOfPhysicalMemory() {
  return static_cast<std::size_t>(sysconf(_SC_PHYS_PAGES)) / 2 * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

int allCores() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

}  // namespace

TEST(Settings, ResultsDoNotDependOnTheThreadCount) {
  const ProbeReport one = probe("ORB_CPU_THREADS=1");
  ASSERT_EQ(one.threads, 1);
  ASSERT_FALSE(one.checksum.empty());
  for (int threads : {2, 3, 8}) {
    const ProbeReport many = probe("ORB_CPU_THREADS=" + std::to_string(threads));
    EXPECT_EQ(many.threads, threads);
    EXPECT_EQ(many.checksum, one.checksum) << threads << " threads";
  }
}

TEST(Settings, ThreadCountDefaultsToAllCores) {
  EXPECT_EQ(probe("").threads, allCores());
  for (const char* bad : {"0", "-2", "four", "3x", "''"}) {
    EXPECT_EQ(probe(std::string("ORB_CPU_THREADS=") + bad).threads, allCores()) << bad;
  }
}

TEST(Settings, ThreadCountIsCapped) { EXPECT_EQ(probe("ORB_CPU_THREADS=100000").threads, 1024); }

TEST(Settings, CapacityIsReadInMebibytes) {
  EXPECT_EQ(probe("ORB_CPU_DEVICE_MB=16").capacity, std::size_t{16} << 20);
}

TEST(Settings, CapacityDefaultsToHalfThePhysicalMemory) {
  EXPECT_EQ(probe("").capacity, halfOfPhysicalMemory());
  for (const char* bad : {"0", "-16", "16MB", "''", "99999999999999999999", "17592186044416"}) {
    EXPECT_EQ(probe(std::string("ORB_CPU_DEVICE_MB=") + bad).capacity, halfOfPhysicalMemory()) << bad;
  }
}
