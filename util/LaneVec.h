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
