#pragma once
// Persistent worker threads that run one parallel job at a time. A job's
// index range is cut into contiguous slices that the workers and the calling
// thread take in turn until none is left; a team job gives each of its
// members a thread of its own, so members may wait on each other.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace gpu::detail {

using RangeBody = std::function<void(std::int64_t begin, std::int64_t end)>;

class ThreadPool {
 public:
  // threads counts the calling thread, so threads - 1 workers are started.
  explicit ThreadPool(int threads);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  int threadCount() const { return static_cast<int>(workers_.size()) + 1; }

  // Runs range over disjoint slices covering [0, count) and returns once all
  // are done; false when a slice threw. Small jobs, and jobs started from
  // inside a running slice, run inline on the calling thread.
  bool run(std::int64_t count, const RangeBody& range);

  // The members a team job of `wanted` members gets: at most one per thread,
  // and one inside a running job.
  int teamSize(int wanted) const;
  // Runs member(i, i + 1) for i in [0, teamSize(wanted)), each on a thread of
  // its own and all at the same time; false when a member threw.
  bool runTeam(int wanted, const RangeBody& member);

 private:
  struct Job {
    const RangeBody* range;
    std::int64_t count;
    std::int64_t sliceSize;
    std::int64_t sliceCount;
    bool onePerThread = false;
    std::atomic<std::int64_t> nextSlice{0};
    std::atomic<bool> failed{false};
  };

  static void takeSlices(Job& job);
  bool post(Job& job);
  void workerLoop();

  std::vector<std::thread> workers_;
  std::mutex submitMutex_;  // one job at a time across host threads
  std::mutex mutex_;        // guards the fields below
  std::condition_variable jobPosted_;
  std::condition_variable jobFinished_;
  Job* job_ = nullptr;
  std::uint64_t generation_ = 0;  // bumped for every posted job
  std::size_t workersBusy_ = 0;
  bool stopping_ = false;
};

// The process's one pool: ORB_CPU_THREADS threads, default all cores.
ThreadPool& hostPool();

}  // namespace gpu::detail
