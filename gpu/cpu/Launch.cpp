#include "gpu/Launch.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "gpu/Accumulate.h"

#include "gpu/detail/FaultState.h"
#include "gpu/detail/LastError.h"
#include "gpu/detail/ThreadPool.h"

namespace gpu {
namespace {

using detail::hostPool;
using detail::launchFaultDue;
using detail::noDeviceInjected;
using detail::ThreadPool;

// Outcome of this thread's latest launch, read by launchStatus.
thread_local Status lastLaunch = Success;

// The fault hooks of a launch; true when the launch may run.
bool launchAllowed() {
  if (noDeviceInjected()) {
    lastLaunch = ErrorNoDevice;
    return false;
  }
  if (launchFaultDue()) {
    lastLaunch = ErrorLaunchFailure;
    return false;
  }
  return true;
}

// Below this many items a launch runs on the calling thread alone, adding
// straight into the targets.
constexpr std::int64_t kSerialBelow = 4096;
// Private copies pay for their summing only when a launch adds at least one
// item per this many target floats.
constexpr std::int64_t kTargetFloatsPerItem = 8;
// At most 1 GiB of private copies; larger targets are shared atomically.
constexpr std::int64_t kMaxCopyFloats = std::int64_t{1} << 28;

// The private copies of accumulating launches: one set per pool thread but
// the first, grown on demand, kept, and zero between launches (the merge
// clears what it reads), so a launch never clears whole images.
class PrivateCopies {
 public:
  std::mutex& mutex() { return mutex_; }

  // Copies of both targets for `sets` threads; false when they cannot be held.
  bool ensure(int sets, const AccumulatorTargets& targets) {
    std::int64_t total = 0;
    for (int k = 0; k < kAccumulatorTargets; ++k) total += targets.data[k] ? targets.floats[k] * sets : 0;
    if (total > kMaxCopyFloats) return false;
    if (static_cast<int>(copies_.size()) < sets) copies_.resize(static_cast<std::size_t>(sets));
    for (int c = 0; c < sets; ++c)
      for (int k = 0; k < kAccumulatorTargets; ++k) {
        Copy& copy = copies_[static_cast<std::size_t>(c)][k];
        if (!targets.data[k] || copy.floats >= targets.floats[k]) continue;
        copy.data.reset(new (std::nothrow) float[static_cast<std::size_t>(targets.floats[k])]());
        copy.floats = copy.data ? targets.floats[k] : 0;
        if (!copy.data) return false;
      }
    return true;
  }

  float* data(int set, int target) { return copies_[static_cast<std::size_t>(set)][target].data.get(); }

 private:
  struct Copy {
    std::unique_ptr<float[]> data;
    std::int64_t floats = 0;
  };
  std::mutex mutex_;
  std::vector<std::array<Copy, kAccumulatorTargets>> copies_;
};

PrivateCopies& privateCopies() {
  static PrivateCopies copies;
  return copies;
}

// Adds the first `sets` private copies into the targets and clears them.
bool mergeCopies(PrivateCopies& copies, int sets, const AccumulatorTargets& targets) {
  bool ok = true;
  for (int k = 0; k < kAccumulatorTargets; ++k) {
    float* target = targets.data[k];
    if (!target) continue;
    ok = hostPool().run(targets.floats[k], [&](std::int64_t begin, std::int64_t end) {
           for (int c = 0; c < sets; ++c) {
             float* copy = copies.data(c, k);
             for (std::int64_t e = begin; e < end; ++e) {
               target[e] += copy[e];
               copy[e] = 0.f;
             }
           }
         }) && ok;
  }
  return ok;
}

// Runs the launch on a team: thread 0 adds into the targets, the others into
// their copies, each over a contiguous share of the items.
bool runPrivately(std::int64_t count, const AccumulatorTargets& targets, const detail::AccumulatingRange& range) {
  ThreadPool& pool = hostPool();
  const int members = pool.teamSize(pool.threadCount());
  PrivateCopies& copies = privateCopies();
  std::lock_guard lock(copies.mutex());
  if (members < 2 || count * kTargetFloatsPerItem < targets.floats[0] + targets.floats[1] ||
      !copies.ensure(members - 1, targets)) {
    const Accumulator shared(targets.data[0], targets.data[1], members > 1);
    return pool.run(count, [&](std::int64_t begin, std::int64_t end) { range(shared, begin, end); });
  }
  const bool ran = pool.runTeam(members, [&](std::int64_t m, std::int64_t) {
    const Accumulator own = m == 0 ? Accumulator(targets.data[0], targets.data[1], false)
                                   : Accumulator(copies.data(static_cast<int>(m) - 1, 0),
                                                 copies.data(static_cast<int>(m) - 1, 1), false);
    range(own, count * m / members, count * (m + 1) / members);
  });
  return mergeCopies(copies, members - 1, targets) && ran;  // merged even after a failure: copies stay zero
}

}  // namespace

void detail::parallelFor(const char* name, std::int64_t count,
                         const std::function<void(std::int64_t, std::int64_t)>& range) {
  if (!launchAllowed()) return;
  const auto started = std::chrono::steady_clock::now();
  lastLaunch = hostPool().run(count, range) ? Success : ErrorLaunchFailure;
  recordLaunch(name, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

void detail::accumulatingFor(const char* name, std::int64_t count, const AccumulatorTargets& targets,
                             const AccumulatingRange& range) {
  if (!launchAllowed()) return;
  const auto started = std::chrono::steady_clock::now();
  bool ok = true;
  if (count < kSerialBelow) {
    try {
      range(Accumulator(targets.data[0], targets.data[1], false), 0, count);
    } catch (...) {
      ok = false;
    }
  } else {
    ok = runPrivately(count, targets, range);
  }
  lastLaunch = ok ? Success : ErrorLaunchFailure;
  recordLaunch(name, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

namespace {
// The grouped launches' sort buffers and reordered copies, grown on demand
// and kept, so a frame's chunks do not fault in fresh pages every launch.
struct GroupScratch {
  std::mutex mutex;
  std::vector<std::uint32_t> keys;
  std::vector<std::int64_t> order, rank, start;
  struct Copy {
    std::unique_ptr<unsigned char[]> bytes;
    std::int64_t capacity = 0;
  };
  std::vector<Copy> copies;
};
GroupScratch& groupScratch() {
  static GroupScratch scratch;
  return scratch;
}

template <int Bytes>
void scatterElements(const unsigned char* from, unsigned char* to, const std::int64_t* rank, std::int64_t begin,
                     std::int64_t end) {
  for (std::int64_t i = begin; i < end; ++i) std::memcpy(to + rank[i] * Bytes, from + i * Bytes, Bytes);
}
}  // namespace

detail::GroupedOrder detail::groupByKey(std::int64_t count, std::uint32_t buckets, const KeyRange& keyRange) {
  GroupScratch& s = groupScratch();
  GroupedOrder grouped{std::unique_lock(s.mutex), nullptr, nullptr};
  if (buckets == 0) return grouped;
  try {
    if (static_cast<std::int64_t>(s.keys.size()) < count) {
      s.keys.resize(static_cast<std::size_t>(count));
      s.order.resize(static_cast<std::size_t>(count));
      s.rank.resize(static_cast<std::size_t>(count));
    }
  } catch (...) {
    return grouped;  // not enough memory to order them: run in item order
  }
  // A stable counting sort in two team passes: each member keys and counts
  // its own contiguous share, then places it after the earlier buckets and,
  // within its bucket, after the earlier members' items.
  ThreadPool& pool = hostPool();
  const int members = count < kSerialBelow ? 1 : pool.teamSize(pool.threadCount());
  const std::size_t B = static_cast<std::size_t>(buckets);
  try {
    s.start.assign(B * static_cast<std::size_t>(members), 0);
  } catch (...) {
    return grouped;
  }
  std::uint32_t* keys = s.keys.data();
  std::int64_t *order = s.order.data(), *rank = s.rank.data(), *next = s.start.data();
  const auto share = [&](std::int64_t m, std::int64_t& begin, std::int64_t& end) {
    begin = count * m / members;
    end = count * (m + 1) / members;
  };
  const auto runMembers = [&](const detail::RangeBody& body) {
    return members == 1 ? (body(0, 1), true) : pool.runTeam(members, body);
  };
  bool ok = runMembers([&](std::int64_t m, std::int64_t) {
    std::int64_t begin, end;
    share(m, begin, end);
    std::int64_t* counts = next + m * static_cast<std::int64_t>(B);
    keyRange(begin, end, keys);
    for (std::int64_t i = begin; i < end; ++i) ++counts[keys[i] = std::min(keys[i], buckets - 1)];
  });
  std::int64_t offset = 0;
  for (std::size_t b = 0; b < B; ++b)
    for (int m = 0; m < members; ++m) {
      std::int64_t& slot = next[static_cast<std::size_t>(m) * B + b];
      const std::int64_t items = slot;
      slot = offset;
      offset += items;
    }
  ok = ok && runMembers([&](std::int64_t m, std::int64_t) {
         std::int64_t begin, end;
         share(m, begin, end);
         std::int64_t* slots = next + m * static_cast<std::int64_t>(B);
         for (std::int64_t i = begin; i < end; ++i) {
           rank[i] = slots[keys[i]]++;
           order[rank[i]] = i;
         }
       });
  if (!ok) return grouped;
  grouped.order = order;
  grouped.rank = rank;
  return grouped;
}

bool detail::reorderArrays(const GroupedOrder& grouped, std::int64_t count,
                           std::initializer_list<ReorderedArray> arrays) {
  GroupScratch& s = groupScratch();  // its lock is held through `grouped`
  std::vector<unsigned char*> copies;
  try {
    if (s.copies.size() < arrays.size()) s.copies.resize(arrays.size());
    std::size_t k = 0;
    for (const ReorderedArray& a : arrays) {
      GroupScratch::Copy& copy = s.copies[k++];
      const std::int64_t bytes = count * a.elementBytes;
      if (*a.items && copy.capacity < bytes) {
        copy.bytes.reset();
        copy.capacity = 0;
        copy.bytes.reset(new unsigned char[static_cast<std::size_t>(bytes)]);
        copy.capacity = bytes;
      }
      copies.push_back(copy.bytes.get());
    }
  } catch (...) {
    return false;
  }
  // Each item's element goes to its slot: the reads run in sequence and the
  // writes are independent, so many are in flight at once.
  const std::int64_t* rank = grouped.rank;
  std::size_t k = 0;
  for (const ReorderedArray& a : arrays) {
    unsigned char* copy = copies[k++];
    const auto* from = static_cast<const unsigned char*>(*a.items);
    if (!from) continue;
    hostPool().run(count, [&](std::int64_t begin, std::int64_t end) {
      switch (a.elementBytes) {  // fixed sizes, so each copy is a move, not a call
        case 4:
          scatterElements<4>(from, copy, rank, begin, end);
          break;
        case 12:
          scatterElements<12>(from, copy, rank, begin, end);
          break;
        default:
          for (std::int64_t i = begin; i < end; ++i)
            std::memcpy(copy + rank[i] * a.elementBytes, from + i * a.elementBytes, static_cast<std::size_t>(a.elementBytes));
      }
    });
    *a.items = copy;
  }
  return true;
}

Status detail::launchStatus() {
  const Status s = lastLaunch;
  lastLaunch = Success;
  return recordError(s);
}

}  // namespace gpu
