#include "gpu/HostParallel.h"

#include <exception>
#include <mutex>

#include "gpu/detail/ThreadPool.h"

namespace gpu {
namespace {

// The first exception of a parallel job, rethrown on the calling thread.
class FirstException {
 public:
  template <class F>
  void capture(F&& f) {
    try {
      f();
    } catch (...) {
      std::lock_guard lock(mutex_);
      if (!error_) error_ = std::current_exception();
    }
  }
  void rethrow() const {
    if (error_) std::rethrow_exception(error_);
  }

 private:
  std::mutex mutex_;
  std::exception_ptr error_;
};

}  // namespace

int hostThreadCount() { return detail::hostPool().threadCount(); }

void hostParallelFor(std::int64_t count, const std::function<void(std::int64_t, std::int64_t)>& range) {
  FirstException error;
  detail::hostPool().run(count, [&](std::int64_t begin, std::int64_t end) {
    error.capture([&] { range(begin, end); });
  });
  error.rethrow();
}

void hostTeam(int wanted, const std::function<void(const TeamMember&)>& body) {
  detail::ThreadPool& pool = detail::hostPool();
  const int size = pool.teamSize(wanted);
  std::barrier<> meeting(size);
  FirstException error;
  pool.runTeam(size, [&](std::int64_t index, std::int64_t) {
    error.capture([&] {
      try {
        body(TeamMember(static_cast<int>(index), size, meeting));
      } catch (...) {
        meeting.arrive_and_drop();
        throw;
      }
    });
  });
  error.rethrow();
}

}  // namespace gpu
