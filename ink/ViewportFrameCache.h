#pragma once
// The ink object's viewport frames: particle positions (object space) by
// frame time, so that scrubbing back to an evaluated frame costs a lookup.
// Frames are kept only while the total stays within a byte budget; beyond
// it they are still shown but not stored.
#include <cstddef>
#include <map>
#include <vector>

#include "host/sdk/Point3.h"
#include "host/sdk/Time.h"

namespace ink {

class ViewportFrameCache {
 public:
  static constexpr std::size_t kBudgetBytes = 0x5DC00000;  // 1,572,864,000 bytes
  static constexpr std::size_t kBytesPerPosition = 3 * sizeof(float);

  explicit ViewportFrameCache(std::size_t budgetBytes = kBudgetBytes) : budget_(budgetBytes) {}

  // The stored frame at t, or null.
  const std::vector<Point3>* find(TimeValue t) const;
  // True when a non-empty frame of `count` positions would fit: the total
  // stays at or below the budget.
  bool fits(std::size_t count) const;
  // Stores the frame (replacing one at the same time) when it fits; returns
  // the stored frame, or null when it was not stored.
  const std::vector<Point3>* store(TimeValue t, std::vector<Point3>&& positions);
  void clear();

  std::size_t bytes() const { return bytes_; }
  std::size_t frames() const { return frames_.size(); }
  std::size_t budget() const { return budget_; }

 private:
  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::map<TimeValue, std::vector<Point3>> frames_;
};

}  // namespace ink
