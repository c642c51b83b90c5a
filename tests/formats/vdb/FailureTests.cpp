// Every failure returns false with its one line, reports the leaf count and
// leaves no broken volume behind.

#include "VdbTestSupport.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <limits>

using vdbtest::DenseCells;
using vdbtest::ReadBytes;
using vdbtest::ScratchPath;

namespace fs = std::filesystem;

namespace {

struct Outcome {
  bool ok;
  std::string message;
  size_t leaves;
};

Outcome Write(const std::string& path, const formats::DenseGrid& grid, double voxelSize = 1.0) {
  Outcome outcome{false, "earlier text", 99};
  outcome.ok = formats::WriteDensityVdb(path, "density", grid, voxelSize, 0.0f, outcome.message,
                                        outcome.leaves);
  return outcome;
}

DenseCells TwoLeaves() {
  DenseCells cells(16, 8, 8);
  cells(0, 0, 0) = 1.0f;
  cells(15, 7, 7) = 1.0f;
  return cells;
}

// The file-size limit makes the disk refuse the rest of the file partway
// through, as a full disk would; the partial file must be gone afterwards.
int WriteCutShort(const std::string& path, const formats::DenseGrid& grid) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{4096, 4096};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
  const Outcome outcome = Write(path, grid);
  return !outcome.ok && outcome.message == "write error " + path && outcome.leaves == 2u &&
                 !fs::exists(path)
             ? 0
             : 1;
}

// With 32 MB of address space to spare, the leaves of the grid do not fit:
// the writer reports it and touches no file.
int WriteWithoutMemory(const std::string& path, const formats::DenseGrid& grid) {
  long pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  if (pages <= 0) return 2;
  const rlim_t room = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (32u << 20);
  const rlimit limit{room, room};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return 2;
  const Outcome outcome = Write(path, grid);
  return !outcome.ok && outcome.message == "not enough system memory to write " + path &&
                 !fs::exists(path)
             ? 0
             : 1;
}

}  // namespace

TEST(VdbWriteFailure, MissingFolderCannotBeWrittenButLeavesAreCounted) {
  const std::string path = ScratchPath("no_such_folder") + "/frame.vdb";
  const Outcome outcome = Write(path, TwoLeaves().grid());
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "cannot write " + path);
  EXPECT_EQ(outcome.leaves, 2u);
}

TEST(VdbWriteFailure, FullDeviceIsAWriteErrorAndTheDeviceStays) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const Outcome outcome = Write("/dev/full", TwoLeaves().grid());
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.message, "write error /dev/full");
  EXPECT_EQ(outcome.leaves, 2u);
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(VdbWriteFailure, FileCutShortIsRemoved) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // the reader library keeps threads
  const std::string path = ScratchPath("cut_short.vdb");
  const DenseCells cells = TwoLeaves();
  EXPECT_EXIT(std::_Exit(WriteCutShort(path, cells.grid())), testing::ExitedWithCode(0), "");
}

TEST(VdbWriteFailure, LeavesBeyondMemoryAreReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::string path = ScratchPath("no_memory.vdb");
  DenseCells cells(256, 256, 256);  // every voxel active: 32,768 leaves, 69 MB
  for (int k = 0; k < 256; ++k)
    for (int j = 0; j < 256; ++j)
      for (int i = 0; i < 256; ++i) cells(i, j, k) = 1.0f;
  EXPECT_EXIT(std::_Exit(WriteWithoutMemory(path, cells.grid())), testing::ExitedWithCode(0), "");
}

TEST(VdbWriteFailure, InvalidGridsAreRefusedBeforeTheFileIsTouched) {
  const std::string path = ScratchPath("keep.vdb");
  { std::ofstream(path) << "earlier volume"; }
  const float one = 1.0f;
  const int32_t top = std::numeric_limits<int32_t>::max();
  const struct {
    const char* what;
    formats::DenseGrid grid;
    double voxelSize;
  } cases[] = {
      {"negative size", {&one, 1, -1, 1, 0, 0, 0}, 1.0},
      {"no values", {nullptr, 2, 2, 2, 0, 0, 0}, 1.0},
      {"indices past int32", {&one, 2, 1, 1, top, 0, 0}, 1.0},
      {"zero voxel size", {&one, 1, 1, 1, 0, 0, 0}, 0.0},
      {"negative voxel size", {&one, 1, 1, 1, 0, 0, 0}, -0.5},
      {"NaN voxel size", {&one, 1, 1, 1, 0, 0, 0}, std::numeric_limits<double>::quiet_NaN()},
      {"infinite voxel size", {&one, 1, 1, 1, 0, 0, 0}, std::numeric_limits<double>::infinity()},
      {"cell count beyond memory", {&one, top, top, top, 0, 0, 0}, 1.0},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Write(path, c.grid, c.voxelSize);
    EXPECT_FALSE(outcome.ok) << c.what;
    EXPECT_EQ(outcome.message, "invalid density grid for " + path) << c.what;
    EXPECT_EQ(outcome.leaves, 0u) << c.what;
  }
  const auto kept = ReadBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "earlier volume");
}

TEST(VdbWriteFailure, EdgeOfTheIndexRangeIsStillWritable) {
  const int32_t top = std::numeric_limits<int32_t>::max();
  const float one = 1.0f;
  const std::string path = ScratchPath("edge.vdb");
  const Outcome outcome = Write(path, {&one, 1, 1, 1, top, std::numeric_limits<int32_t>::min(), 0});
  EXPECT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(outcome.message, "earlier text");  // untouched on success
  EXPECT_EQ(outcome.leaves, 1u);
}
