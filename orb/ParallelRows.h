#pragma once
// Splits rows [0, rows) into contiguous ranges, one per hardware thread, and
// runs body(first, last, worker) on each; small jobs run on the calling
// thread. An exception from any range is rethrown to the caller.
#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace orb {

template <class Body>
void parallelRows(int rows, long long workPerRow, Body body) {
  constexpr long long kMinWorkPerThread = 1 << 15;
  const int hw = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int workers =
      static_cast<int>(std::clamp<long long>(rows * workPerRow / kMinWorkPerThread, 1, std::min(hw, rows)));
  if (workers <= 1) {
    body(0, rows, 0);
    return;
  }
  std::vector<std::exception_ptr> errors(workers);
  std::vector<std::thread> threads;
  threads.reserve(workers - 1);
  auto run = [&](int w) {
    try {
      body(rows * w / workers, rows * (w + 1) / workers, w);
    } catch (...) {
      errors[w] = std::current_exception();
    }
  };
  for (int w = 1; w < workers; ++w) threads.emplace_back(run, w);
  run(0);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

}  // namespace orb
