// Host loops on the shared pool: every index once, teams whose members all
// run at the same time, and exceptions that reach the caller without
// leaving a member waiting forever.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "gpu/HostParallel.h"

TEST(HostParallel, ParallelForCoversEveryIndexOnce) {
  for (std::int64_t count : {0, 1, 4095, 100000}) {
    std::vector<std::atomic<int>> seen(count);
    gpu::hostParallelFor(count, [&](std::int64_t begin, std::int64_t end) {
      for (std::int64_t i = begin; i < end; ++i) ++seen[i];
    });
    for (std::int64_t i = 0; i < count; ++i) ASSERT_EQ(seen[i], 1) << count << " at " << i;
  }
}

TEST(HostParallel, ParallelForRethrowsTheBodysException) {
  EXPECT_THROW(gpu::hostParallelFor(100000,
                                    [](std::int64_t begin, std::int64_t) {
                                      if (begin == 0) throw std::runtime_error("body failed");
                                    }),
               std::runtime_error);
}

TEST(HostParallel, TeamMembersMeetAtEverySync) {
  const int wanted = gpu::hostThreadCount() + 3;  // more than the pool holds
  std::atomic<int> arrived{0};
  std::atomic<int> size{0}, mismatches{0};
  gpu::hostTeam(wanted, [&](const gpu::TeamMember& m) {
    size = m.size();
    for (int round = 1; round <= 50; ++round) {
      ++arrived;
      m.sync();
      if (arrived.load() != round * m.size()) ++mismatches;  // nobody is a round ahead
      m.sync();
    }
  });
  EXPECT_EQ(size, gpu::hostThreadCount());
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(arrived, 50 * size);
}

TEST(HostParallel, RowsAreSplitIntoContiguousRangesCoveringAll) {
  std::vector<std::atomic<int>> seen(1000);
  gpu::hostParallelRows(1000, 1 << 12, [&](int first, int last) {
    for (int r = first; r < last; ++r) ++seen[r];
  });
  for (int r = 0; r < 1000; ++r) ASSERT_EQ(seen[r], 1) << r;
}

TEST(HostParallel, AMemberThatThrowsLeavesTheOthersFreeToFinish) {
  std::atomic<int> finished{0};
  EXPECT_THROW(gpu::hostTeam(gpu::hostThreadCount(),
                             [&](const gpu::TeamMember& m) {
                               m.sync();
                               if (m.index() == 0) throw std::runtime_error("member failed");
                               for (int round = 0; round < 5; ++round) m.sync();
                               ++finished;
                             }),
               std::runtime_error);
  EXPECT_EQ(finished, gpu::hostThreadCount() - 1);
}

TEST(HostParallel, ATeamStartedInsideAPoolJobRunsAsOneMember) {
  std::atomic<int> innerSizes{0};
  gpu::hostTeam(gpu::hostThreadCount(), [&](const gpu::TeamMember&) {
    gpu::hostTeam(4, [&](const gpu::TeamMember& inner) { innerSizes += inner.size(); });
  });
  EXPECT_EQ(innerSizes, gpu::hostThreadCount());
}
