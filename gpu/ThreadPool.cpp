#include "gpu/detail/ThreadPool.h"

#include <algorithm>
#include <system_error>

#include "gpu/detail/Environment.h"

namespace gpu::detail {
namespace {

// Below this many items waking the workers costs more than it saves.
constexpr std::int64_t kInlineBelow = 4096;
constexpr std::int64_t kMinSliceSize = 1024;
// Several slices per thread even out items of uneven cost.
constexpr std::int64_t kSlicesPerThread = 4;
// A mistyped ORB_CPU_THREADS must not try to start a million threads.
constexpr std::uint64_t kMaxThreads = 1024;

// Set on workers and on a caller while it takes slices: a job started there
// runs inline instead of waiting on the pool it occupies.
thread_local bool insidePool = false;

class InsidePool {
 public:
  InsidePool() : previous_(insidePool) { insidePool = true; }
  ~InsidePool() { insidePool = previous_; }
  InsidePool(const InsidePool&) = delete;
  InsidePool& operator=(const InsidePool&) = delete;

 private:
  bool previous_;
};

std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

int configuredThreadCount() {
  if (const auto threads = positiveIntegerFromEnv("ORB_CPU_THREADS")) {
    return static_cast<int>(std::min(*threads, kMaxThreads));
  }
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

ThreadPool& hostPool() {
  static ThreadPool threads(configuredThreadCount());
  return threads;
}

ThreadPool::ThreadPool(int threads) {
  for (int i = 1; i < threads; ++i) {
    try {
      workers_.emplace_back([this] { workerLoop(); });
    } catch (const std::system_error&) {
      break;  // the system refused more threads: work with those started
    }
  }
}

ThreadPool::~ThreadPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  jobPosted_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

bool ThreadPool::run(std::int64_t count, const RangeBody& range) {
  if (count <= 0) return true;
  if (workers_.empty() || insidePool || count < kInlineBelow) {
    Job job{&range, count, count, 1};
    InsidePool inside;
    takeSlices(job);
    return !job.failed;
  }
  const std::int64_t slices =
      std::min<std::int64_t>(threadCount() * kSlicesPerThread, ceilDiv(count, kMinSliceSize));
  const std::int64_t sliceSize = ceilDiv(count, slices);
  Job job{&range, count, sliceSize, ceilDiv(count, sliceSize)};
  return post(job);
}

int ThreadPool::teamSize(int wanted) const {
  return insidePool ? 1 : std::clamp(wanted, 1, threadCount());
}

bool ThreadPool::runTeam(int wanted, const RangeBody& member) {
  const int members = teamSize(wanted);
  Job job{&member, members, 1, members};
  if (members == 1) {
    InsidePool inside;
    takeSlices(job);
    return !job.failed;
  }
  // Every thread takes at most one member, and the pool has at least as many
  // threads as members, so all members run at once.
  job.onePerThread = true;
  return post(job);
}

bool ThreadPool::post(Job& job) {
  std::lock_guard submit(submitMutex_);
  {
    std::lock_guard lock(mutex_);
    job_ = &job;
    ++generation_;
    workersBusy_ = workers_.size();
  }
  jobPosted_.notify_all();
  {
    InsidePool inside;
    takeSlices(job);
  }
  std::unique_lock lock(mutex_);
  jobFinished_.wait(lock, [this] { return workersBusy_ == 0; });
  job_ = nullptr;
  return !job.failed;
}

void ThreadPool::takeSlices(Job& job) {
  for (;;) {
    const std::int64_t slice = job.nextSlice.fetch_add(1);
    if (slice >= job.sliceCount) return;
    const std::int64_t begin = slice * job.sliceSize;
    const std::int64_t end = std::min(job.count, begin + job.sliceSize);
    try {
      (*job.range)(begin, end);
    } catch (...) {
      job.failed = true;  // reported as a launch failure; the other slices still run
    }
    if (job.onePerThread) return;
  }
}

void ThreadPool::workerLoop() {
  insidePool = true;
  std::uint64_t seen = 0;
  for (;;) {
    Job* job = nullptr;
    {
      std::unique_lock lock(mutex_);
      jobPosted_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      job = job_;
    }
    takeSlices(*job);
    std::lock_guard lock(mutex_);
    if (--workersBusy_ == 0) jobFinished_.notify_one();
  }
}

}  // namespace gpu::detail
