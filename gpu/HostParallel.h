#pragma once
// Parallel loops of host code on the process's one CPU thread pool, the pool
// the cpu backend runs its kernels on: the machine never holds more busy
// threads than ORB_CPU_THREADS (default all cores), whichever backend is
// built. An exception thrown by a body reaches the caller once every body
// has ended.
#include <algorithm>
#include <barrier>
#include <cstdint>
#include <functional>

namespace gpu {

// Threads a loop can use: the pool's workers and the calling thread.
int hostThreadCount();

// range(begin, end) over disjoint slices covering [0, count).
void hostParallelFor(std::int64_t count, const std::function<void(std::int64_t begin, std::int64_t end)>& range);

// One member of a team: all members run at the same time, so they may meet at
// sync() (a barrier over the whole team) as often as they like.
class TeamMember {
 public:
  TeamMember(int index, int size, std::barrier<>& meeting) : index_(index), size_(size), meeting_(meeting) {}
  int index() const { return index_; }
  int size() const { return size_; }
  // Contiguous share [first, last) of `items` items for this member.
  std::int64_t first(std::int64_t items) const { return items * index_ / size_; }
  std::int64_t last(std::int64_t items) const { return items * (index_ + 1) / size_; }
  void sync() const { meeting_.arrive_and_wait(); }

 private:
  int index_, size_;
  std::barrier<>& meeting_;
};

// Runs body on a team of at most `wanted` members (fewer when the pool has
// fewer threads, one when called from inside a pool job). A member that
// throws leaves the barrier, so the others finish instead of waiting for it.
void hostTeam(int wanted, const std::function<void(const TeamMember&)>& body);

// body(first, last) over contiguous row ranges, one per member, with as many
// members as the work (rows × workPerRow) keeps busy.
template <class Body>
void hostParallelRows(int rows, long long workPerRow, Body body) {
  constexpr long long kMinWorkPerMember = 1 << 15;
  const long long wanted = std::clamp<long long>(static_cast<long long>(rows) * workPerRow / kMinWorkPerMember, 1,
                                                 std::max(rows, 1));
  hostTeam(static_cast<int>(std::min<long long>(wanted, hostThreadCount())), [&](const TeamMember& m) {
    body(static_cast<int>(m.first(rows)), static_cast<int>(m.last(rows)));
  });
}

}  // namespace gpu
