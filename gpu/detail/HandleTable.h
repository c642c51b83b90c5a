#pragma once
// The set of live handles of one kind, so that a stale or made-up handle is
// answered with an error instead of being dereferenced.
#include <mutex>
#include <new>
#include <unordered_set>

namespace gpu::detail {

template <class T>
class HandleTable {
 public:
  bool add(T* handle) {
    std::lock_guard lock(mutex_);
    try {
      return live_.insert(handle).second;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  bool remove(T* handle) {
    std::lock_guard lock(mutex_);
    return live_.erase(handle) == 1;
  }

  bool contains(T* handle) const {
    std::lock_guard lock(mutex_);
    return live_.count(handle) == 1;
  }

 private:
  mutable std::mutex mutex_;
  std::unordered_set<T*> live_;
};

}  // namespace gpu::detail
