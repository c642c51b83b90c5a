#include "ink/ViewportFrameCache.h"

namespace ink {

const std::vector<Point3>* ViewportFrameCache::find(TimeValue t) const {
  auto it = frames_.find(t);
  return it == frames_.end() ? nullptr : &it->second;
}

bool ViewportFrameCache::fits(std::size_t count) const {
  if (count == 0 || count > budget_ / kBytesPerPosition) return false;
  return bytes_ + count * kBytesPerPosition <= budget_;
}

const std::vector<Point3>* ViewportFrameCache::store(TimeValue t, std::vector<Point3>&& positions) {
  auto old = frames_.find(t);
  const std::size_t freed = old == frames_.end() ? 0 : old->second.size() * kBytesPerPosition;
  bytes_ -= freed;
  if (!fits(positions.size())) {
    bytes_ += freed;
    return nullptr;
  }
  bytes_ += positions.size() * kBytesPerPosition;
  std::vector<Point3>& slot = frames_[t];
  slot = std::move(positions);
  return &slot;
}

void ViewportFrameCache::clear() {
  frames_.clear();
  bytes_ = 0;
}

}  // namespace ink
