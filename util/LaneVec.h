#pragma once
// Three-component vectors of lane-generic numbers: VecOf<float> is the
// ordinary util::Vec, VecOf<Floats> holds one vector per lane with the same
// operations in the same order, so a body written over VecOf<R> computes
// every lane as the scalar code would.
#include "util/Lanes.h"
#include "util/Vec.h"

namespace util::lanes {

template <class R>
struct VecType {
  using type = util::Vec;
};
template <class R>
using VecOf = typename VecType<R>::type;

// Vectors read at, and written to, an index per lane (the first `count`
// lanes are written).
ORB_HD ORB_ALWAYS_INLINE util::Vec vecsAt(const util::Vec* a, std::int32_t i) { return a[i]; }
ORB_HD ORB_ALWAYS_INLINE void putVecs(util::Vec* out, std::int32_t i, util::Vec v, int) { out[i] = v; }
template <class R>
ORB_HD ORB_ALWAYS_INLINE VecOf<R> vecsRun(const util::Vec* a, std::int32_t first) {
  return a[first];
}

#if !defined(__CUDACC__)

struct FloatsVec {
  Floats x, y, z;
  FloatsVec() = default;
  ORB_ALWAYS_INLINE FloatsVec(Floats x_, Floats y_, Floats z_) : x(x_), y(y_), z(z_) {}
  ORB_ALWAYS_INLINE FloatsVec(util::Vec s) : x(s.x), y(s.y), z(s.z) {}
};

template <>
struct VecType<Floats> {
  using type = FloatsVec;
};

ORB_ALWAYS_INLINE FloatsVec operator+(const FloatsVec& a, const FloatsVec& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
ORB_ALWAYS_INLINE FloatsVec operator-(const FloatsVec& a, const FloatsVec& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
ORB_ALWAYS_INLINE FloatsVec operator-(const FloatsVec& a) { return {-a.x, -a.y, -a.z}; }
ORB_ALWAYS_INLINE FloatsVec operator*(const FloatsVec& a, Floats s) { return {a.x * s, a.y * s, a.z * s}; }
ORB_ALWAYS_INLINE FloatsVec operator*(Floats s, const FloatsVec& a) { return a * s; }
ORB_ALWAYS_INLINE FloatsVec& operator+=(FloatsVec& a, const FloatsVec& b) { return a = a + b; }
ORB_ALWAYS_INLINE FloatsVec& operator-=(FloatsVec& a, const FloatsVec& b) { return a = a - b; }
ORB_ALWAYS_INLINE Floats dot(const FloatsVec& a, const FloatsVec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
ORB_ALWAYS_INLINE FloatsVec cross(const FloatsVec& a, const FloatsVec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
ORB_ALWAYS_INLINE Floats length(const FloatsVec& a) { return sqrt(dot(a, a)); }
ORB_ALWAYS_INLINE FloatsVec select(Mask m, const FloatsVec& a, const FloatsVec& b) {
  return {select(m, a.x, b.x), select(m, a.y, b.y), select(m, a.z, b.z)};
}
ORB_ALWAYS_INLINE util::Vec lane(const FloatsVec& v, int l) { return {v.x.v[l], v.y.v[l], v.z.v[l]}; }
ORB_ALWAYS_INLINE void setLane(FloatsVec& v, int l, util::Vec value) {
  v.x.v[l] = value.x;
  v.y.v[l] = value.y;
  v.z.v[l] = value.z;
}
ORB_ALWAYS_INLINE FloatsVec lerp(const FloatsVec& a, const FloatsVec& b, Floats w) { return a + (b - a) * w; }
ORB_ALWAYS_INLINE FloatsVec normalizedOr(const FloatsVec& v, const FloatsVec& fallback) {
  const Floats len = length(v);
  return select(len > 0.f, v * (1.f / max(len, Floats(1e-12f))), fallback);
}
template <class Read>
ORB_ALWAYS_INLINE FloatsVec gatherVecs(Read read) {
  FloatsVec r;
  for (int l = 0; l < kLanes; ++l) {
    const util::Vec v = read(l);
    r.x.v[l] = v.x;
    r.y.v[l] = v.y;
    r.z.v[l] = v.z;
  }
  return r;
}
ORB_ALWAYS_INLINE FloatsVec vecsAt(const util::Vec* a, Ints i) {
  FloatsVec r;
  for (int l = 0; l < kLanes; ++l) setLane(r, l, a[i.v[l]]);
  return r;
}
ORB_ALWAYS_INLINE void putVecs(util::Vec* out, Ints i, const FloatsVec& v, int count) {
  if (count == kLanes && i.v[kLanes - 1] - i.v[0] == kLanes - 1) {  // a run: three stores
    static_assert(kLanes == 8);
    using M = raw::Ints;
    const raw::Floats xy0 = __builtin_shuffle(v.x.v, v.y.v, M{0, 8, 0, 1, 9, 0, 2, 10});
    const raw::Floats xy1 = __builtin_shuffle(v.x.v, v.y.v, M{0, 3, 11, 0, 4, 12, 0, 5});
    const raw::Floats xy2 = __builtin_shuffle(v.x.v, v.y.v, M{13, 0, 6, 14, 0, 7, 15, 0});
    const raw::Floats a = __builtin_shuffle(xy0, v.z.v, M{0, 1, 8, 3, 4, 9, 6, 7});
    const raw::Floats b = __builtin_shuffle(xy1, v.z.v, M{10, 1, 2, 11, 4, 5, 12, 7});
    const raw::Floats c = __builtin_shuffle(xy2, v.z.v, M{0, 13, 2, 3, 14, 5, 6, 15});
    float* f = &out[i.v[0]].x;
    __builtin_memcpy(f, &a, 32);
    __builtin_memcpy(f + 8, &b, 32);
    __builtin_memcpy(f + 16, &c, 32);
    return;
  }
  for (int l = 0; l < count; ++l) out[i.v[l]] = lane(v, l);
}
// Eight consecutive vectors a[first], a[first + 1], ...: three loads and a
// transposition.
template <>
ORB_ALWAYS_INLINE FloatsVec vecsRun<Floats>(const util::Vec* a, std::int32_t first) {
  static_assert(kLanes == 8);
  using M = raw::Ints;
  raw::Floats A, B, C;
  const float* f = &a[first].x;
  __builtin_memcpy(&A, f, 32);
  __builtin_memcpy(&B, f + 8, 32);
  __builtin_memcpy(&C, f + 16, 32);
  const raw::Floats x = __builtin_shuffle(__builtin_shuffle(A, B, M{0, 3, 6, 9, 12, 15, 0, 0}), C, M{0, 1, 2, 3, 4, 5, 10, 13});
  const raw::Floats y = __builtin_shuffle(__builtin_shuffle(A, B, M{1, 4, 7, 10, 13, 0, 0, 0}), C, M{0, 1, 2, 3, 4, 8, 11, 14});
  const raw::Floats z = __builtin_shuffle(__builtin_shuffle(A, B, M{2, 5, 8, 11, 14, 0, 0, 0}), C, M{0, 1, 2, 3, 4, 9, 12, 15});
  return {Floats(x), Floats(y), Floats(z)};
}

#endif  // !__CUDACC__

ORB_HD ORB_ALWAYS_INLINE util::Vec select(bool m, util::Vec a, util::Vec b) { return m ? a : b; }
ORB_HD ORB_ALWAYS_INLINE util::Vec lane(util::Vec v, int) { return v; }

// A member of records picked per item: the record base[i] (a pack reads one
// record per lane).
template <class T, class F>
ORB_HD ORB_ALWAYS_INLINE F fieldAt(const T* base, std::int32_t i, F T::*member) {
  return base[i].*member;
}
#if !defined(__CUDACC__)
template <class T>
ORB_ALWAYS_INLINE Floats fieldAt(const T* base, Ints i, float T::*member) {
  return gatherFloats([&](int l) { return base[i.v[l]].*member; });
}
template <class T>
ORB_ALWAYS_INLINE FloatsVec fieldAt(const T* base, Ints i, util::Vec T::*member) {
  return {gatherFloats([&](int l) { return (base[i.v[l]].*member).x; }),
          gatherFloats([&](int l) { return (base[i.v[l]].*member).y; }),
          gatherFloats([&](int l) { return (base[i.v[l]].*member).z; })};
}
#endif

}  // namespace util::lanes
