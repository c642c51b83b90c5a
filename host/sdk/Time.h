#pragma once
// Host time: ticks, 4800 per second, and validity intervals.
#include <climits>

using TimeValue = int;
constexpr int TIME_TICKSPERSEC = 4800;
constexpr TimeValue TIME_NegInfinity = INT_MIN;
constexpr TimeValue TIME_PosInfinity = INT_MAX;

class Interval {
 public:
  constexpr Interval() = default;  // empty
  constexpr Interval(TimeValue s, TimeValue e) : start_(s), end_(e) {}

  void Set(TimeValue s, TimeValue e) { start_ = s; end_ = e; }
  void SetStart(TimeValue s) { start_ = s; }
  void SetEnd(TimeValue e) { end_ = e; }
  void SetInfinite() { Set(TIME_NegInfinity, TIME_PosInfinity); }
  void SetEmpty() { Set(TIME_NegInfinity, TIME_NegInfinity); }
  void SetInstant(TimeValue t) { Set(t, t); }
  TimeValue Start() const { return start_; }
  TimeValue End() const { return end_; }
  bool Empty() const { return start_ == TIME_NegInfinity && end_ == TIME_NegInfinity; }
  bool InInterval(TimeValue t) const { return !Empty() && start_ <= t && t <= end_; }
  bool operator==(const Interval&) const = default;
  // Intersection; disjoint intervals give the empty interval.
  Interval operator&(const Interval& o) const {
    if (Empty() || o.Empty()) return Interval();
    TimeValue s = start_ > o.start_ ? start_ : o.start_;
    TimeValue e = end_ < o.end_ ? end_ : o.end_;
    return s <= e ? Interval(s, e) : Interval();
  }
  Interval& operator&=(const Interval& o) { return *this = *this & o; }

 private:
  TimeValue start_ = TIME_NegInfinity;
  TimeValue end_ = TIME_NegInfinity;
};

inline constexpr Interval FOREVER{TIME_NegInfinity, TIME_PosInfinity};
inline constexpr Interval NEVER{};
