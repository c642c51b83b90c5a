#pragma once
// An uninitialised host array that reports a failed allocation instead of
// throwing: the streamed engine's mirrors of billions of particles are
// written before they are read, so they are never cleared.
#include <cstdint>
#include <memory>
#include <new>

namespace ink {

template <class T>
class HostArray {
 public:
  bool allocate(std::int64_t count) {
    clear();
    if (count <= 0) return true;
    data_.reset(new (std::nothrow) T[static_cast<std::size_t>(count)]);
    if (!data_) return false;
    size_ = count;
    return true;
  }
  void clear() {
    data_.reset();
    size_ = 0;
  }
  T* data() const { return data_.get(); }
  std::int64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  std::unique_ptr<T[]> data_;
  std::int64_t size_ = 0;
};

}  // namespace ink
