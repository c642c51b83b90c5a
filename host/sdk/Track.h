#pragma once
// A value over time: a constant, or linear keys held constant before the
// first and after the last.
#include <algorithm>
#include <utility>
#include <vector>

#include "host/sdk/Time.h"

template <class T>
class Track {
 public:
  Track() = default;
  explicit Track(const T& constant) : constant_(constant) {}

  void SetConstant(const T& v) {
    constant_ = v;
    keys_.clear();
  }
  void SetKey(TimeValue t, const T& v) {
    auto it = std::lower_bound(keys_.begin(), keys_.end(), t, [](const auto& k, TimeValue tt) { return k.first < tt; });
    if (it != keys_.end() && it->first == t)
      it->second = v;
    else
      keys_.insert(it, {t, v});
  }
  bool Animated() const { return keys_.size() > 1; }
  int KeyCount() const { return static_cast<int>(keys_.size()); }

  T Value(TimeValue t, Interval* valid = nullptr) const {
    if (keys_.empty()) return constant_;
    if (keys_.size() == 1) return keys_.front().second;
    if (t <= keys_.front().first) {
      if (valid) *valid &= Interval(TIME_NegInfinity, keys_.front().first);
      return keys_.front().second;
    }
    if (t >= keys_.back().first) {
      if (valid) *valid &= Interval(keys_.back().first, TIME_PosInfinity);
      return keys_.back().second;
    }
    auto hi = std::upper_bound(keys_.begin(), keys_.end(), t, [](TimeValue tt, const auto& k) { return tt < k.first; });
    auto lo = hi - 1;
    if (valid) *valid &= Interval(t, t);
    const float f = float(double(t - lo->first) / double(hi->first - lo->first));
    return lo->second + (hi->second - lo->second) * f;
  }

 private:
  T constant_{};
  std::vector<std::pair<TimeValue, T>> keys_;
};
