#pragma once
// Lane-generic numbers. A kernel body written once over a number type R runs
// one item per thread with R = float (the cuda backend, host reference code)
// and kLanes items per instruction with R = lanes::Floats on the cpu backend.
// Every pack operation is the float operation lane by lane: +, -, *, /,
// sqrt, floor, min, max and the conversions give the bits the scalar code
// gives. The transcendental functions are in util/LaneMath.h.
//
// Branches on per-item values become masks: `select(m, a, b)` takes a where
// m holds; `any(m)` lets a body skip work no lane needs.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"

namespace util::lanes {

// Scalar forms, for R = float.
ORB_HD ORB_ALWAYS_INLINE constexpr float select(bool m, float a, float b) { return m ? a : b; }
ORB_HD ORB_ALWAYS_INLINE constexpr std::int32_t select(bool m, std::int32_t a, std::int32_t b) { return m ? a : b; }
ORB_HD ORB_ALWAYS_INLINE constexpr std::uint32_t select(bool m, std::uint32_t a, std::uint32_t b) { return m ? a : b; }
ORB_HD ORB_ALWAYS_INLINE constexpr bool any(bool m) { return m; }
ORB_HD ORB_ALWAYS_INLINE float floor(float x) { return floorf(x); }
ORB_HD ORB_ALWAYS_INLINE float sqrt(float x) { return sqrtf(x); }
ORB_HD ORB_ALWAYS_INLINE float abs(float x) { return fabsf(x); }
ORB_HD ORB_ALWAYS_INLINE float min(float a, float b) { return fminf(a, b); }
ORB_HD ORB_ALWAYS_INLINE float max(float a, float b) { return fmaxf(a, b); }
ORB_HD ORB_ALWAYS_INLINE float toFloat(std::int32_t i) { return static_cast<float>(i); }
ORB_HD ORB_ALWAYS_INLINE float toFloat(std::uint32_t i) { return static_cast<float>(i); }
ORB_HD ORB_ALWAYS_INLINE std::int32_t truncateToInt(float x) { return static_cast<std::int32_t>(x); }
ORB_HD ORB_ALWAYS_INLINE std::uint32_t asUint(std::int32_t i) { return static_cast<std::uint32_t>(i); }
ORB_HD ORB_ALWAYS_INLINE std::int32_t asInt(std::uint32_t i) { return static_cast<std::int32_t>(i); }
ORB_HD ORB_ALWAYS_INLINE float lane(float x, int) { return x; }
ORB_HD ORB_ALWAYS_INLINE constexpr bool holds(bool m, int) { return m; }
// f applied to each lane: a scalar function with no pack form (powf).
template <class F>
ORB_HD ORB_ALWAYS_INLINE float laneByLane(float x, F f) {
  return f(x);
}
ORB_HD ORB_ALWAYS_INLINE constexpr bool sameInEveryLane(std::int32_t) { return true; }
ORB_HD ORB_ALWAYS_INLINE constexpr std::int32_t firstLane(std::int32_t i) { return i; }
ORB_HD ORB_ALWAYS_INLINE float gatherAt(const float* base, std::int32_t i) { return base[i]; }
ORB_HD ORB_ALWAYS_INLINE std::int32_t gatherAt(const std::int32_t* base, std::int32_t i) { return base[i]; }
#if !defined(__CUDACC__)
inline std::uint32_t bitsOf(float x) { return __builtin_bit_cast(std::uint32_t, x); }
inline float fromBits(std::uint32_t b) { return __builtin_bit_cast(float, b); }
#endif

// x within [lo, hi] (fminf(fmaxf(x, lo), hi), so NaN gives lo).
template <class R>
ORB_HD ORB_ALWAYS_INLINE R clamp(R x, float lo, float hi) {
  return min(max(x, R(lo)), R(hi));
}

// Items one R holds.
template <class R>
ORB_HD ORB_ALWAYS_INLINE constexpr int lanesOf() {
  return 1;
}
// 0, 1, ... per lane, the lanes from `count` on repeating count - 1.
template <class I>
ORB_HD ORB_ALWAYS_INLINE I laneOffsets(int) {
  return I(0);
}

template <class R>
struct Types {
  using Float = float;
  using Int = std::int32_t;
  using Uint = std::uint32_t;
  using Mask = bool;
};
template <class R>
using IntOf = typename Types<R>::Int;
template <class R>
using UintOf = typename Types<R>::Uint;
template <class R>
using MaskOf = typename Types<R>::Mask;

#if !defined(__CUDACC__)

// Items per pack: eight floats fill one 256-bit register and two 128-bit ones.
constexpr int kLanes = 8;

namespace raw {
typedef float Floats __attribute__((vector_size(4 * kLanes)));
typedef std::int32_t Ints __attribute__((vector_size(4 * kLanes)));
typedef std::uint32_t Uints __attribute__((vector_size(4 * kLanes)));
}  // namespace raw

// A per-lane condition: all bits set where it holds.
struct Mask {
  raw::Ints v;
  Mask() = default;
  ORB_ALWAYS_INLINE explicit Mask(raw::Ints x) : v(x) {}
  ORB_ALWAYS_INLINE explicit Mask(bool every) : v(raw::Ints{} - static_cast<std::int32_t>(every)) {}
};
struct Ints {
  raw::Ints v;
  Ints() = default;
  ORB_ALWAYS_INLINE Ints(std::int32_t s) : v(raw::Ints{} + s) {}
  ORB_ALWAYS_INLINE explicit Ints(raw::Ints x) : v(x) {}
  ORB_ALWAYS_INLINE std::int32_t operator[](int lane) const { return v[lane]; }
};
struct Uints {
  raw::Uints v;
  Uints() = default;
  ORB_ALWAYS_INLINE Uints(std::uint32_t s) : v(raw::Uints{} + s) {}
  ORB_ALWAYS_INLINE explicit Uints(raw::Uints x) : v(x) {}
  ORB_ALWAYS_INLINE std::uint32_t operator[](int lane) const { return v[lane]; }
};
struct Floats {
  raw::Floats v;
  Floats() = default;
  ORB_ALWAYS_INLINE Floats(float s) : v(raw::Floats{} + s) {}
  ORB_ALWAYS_INLINE explicit Floats(raw::Floats x) : v(x) {}
  ORB_ALWAYS_INLINE float operator[](int lane) const { return v[lane]; }
};

template <>
struct Types<Floats> {
  using Float = Floats;
  using Int = Ints;
  using Uint = Uints;
  using Mask = lanes::Mask;
};

ORB_ALWAYS_INLINE Mask operator&(Mask a, Mask b) { return Mask(a.v & b.v); }
ORB_ALWAYS_INLINE Mask operator|(Mask a, Mask b) { return Mask(a.v | b.v); }
ORB_ALWAYS_INLINE Mask operator!(Mask a) { return Mask(~a.v); }

ORB_ALWAYS_INLINE Floats operator+(Floats a, Floats b) { return Floats(a.v + b.v); }
ORB_ALWAYS_INLINE Floats operator-(Floats a, Floats b) { return Floats(a.v - b.v); }
ORB_ALWAYS_INLINE Floats operator*(Floats a, Floats b) { return Floats(a.v * b.v); }
ORB_ALWAYS_INLINE Floats operator/(Floats a, Floats b) { return Floats(a.v / b.v); }
ORB_ALWAYS_INLINE Floats operator-(Floats a) { return Floats(-a.v); }
ORB_ALWAYS_INLINE Floats& operator+=(Floats& a, Floats b) { return a = a + b; }
ORB_ALWAYS_INLINE Floats& operator-=(Floats& a, Floats b) { return a = a - b; }
ORB_ALWAYS_INLINE Floats& operator*=(Floats& a, Floats b) { return a = a * b; }
ORB_ALWAYS_INLINE Mask operator<(Floats a, Floats b) { return Mask(a.v < b.v); }
ORB_ALWAYS_INLINE Mask operator<=(Floats a, Floats b) { return Mask(a.v <= b.v); }
ORB_ALWAYS_INLINE Mask operator>(Floats a, Floats b) { return Mask(a.v > b.v); }
ORB_ALWAYS_INLINE Mask operator>=(Floats a, Floats b) { return Mask(a.v >= b.v); }
ORB_ALWAYS_INLINE Mask operator==(Floats a, Floats b) { return Mask(a.v == b.v); }
ORB_ALWAYS_INLINE Mask operator!=(Floats a, Floats b) { return Mask(a.v != b.v); }

ORB_ALWAYS_INLINE Ints operator+(Ints a, Ints b) { return Ints(a.v + b.v); }
ORB_ALWAYS_INLINE Ints operator-(Ints a, Ints b) { return Ints(a.v - b.v); }
ORB_ALWAYS_INLINE Ints operator*(Ints a, Ints b) { return Ints(a.v * b.v); }
ORB_ALWAYS_INLINE Ints operator&(Ints a, Ints b) { return Ints(a.v & b.v); }
ORB_ALWAYS_INLINE Ints operator>>(Ints a, int s) { return Ints(a.v >> s); }
ORB_ALWAYS_INLINE Ints& operator+=(Ints& a, Ints b) { return a = a + b; }
ORB_ALWAYS_INLINE Mask operator<(Ints a, Ints b) { return Mask(a.v < b.v); }
ORB_ALWAYS_INLINE Mask operator>(Ints a, Ints b) { return Mask(a.v > b.v); }
ORB_ALWAYS_INLINE Mask operator<=(Ints a, Ints b) { return Mask(a.v <= b.v); }
ORB_ALWAYS_INLINE Mask operator>=(Ints a, Ints b) { return Mask(a.v >= b.v); }
ORB_ALWAYS_INLINE Mask operator==(Ints a, Ints b) { return Mask(a.v == b.v); }

ORB_ALWAYS_INLINE Uints operator+(Uints a, Uints b) { return Uints(a.v + b.v); }
ORB_ALWAYS_INLINE Uints operator-(Uints a, Uints b) { return Uints(a.v - b.v); }
ORB_ALWAYS_INLINE Uints operator*(Uints a, Uints b) { return Uints(a.v * b.v); }
ORB_ALWAYS_INLINE Uints operator^(Uints a, Uints b) { return Uints(a.v ^ b.v); }
ORB_ALWAYS_INLINE Uints operator&(Uints a, Uints b) { return Uints(a.v & b.v); }
ORB_ALWAYS_INLINE Uints operator|(Uints a, Uints b) { return Uints(a.v | b.v); }
ORB_ALWAYS_INLINE Uints operator>>(Uints a, int s) { return Uints(a.v >> s); }
ORB_ALWAYS_INLINE Uints operator<<(Uints a, int s) { return Uints(a.v << s); }
ORB_ALWAYS_INLINE Uints& operator^=(Uints& a, Uints b) { return a = a ^ b; }
ORB_ALWAYS_INLINE Uints& operator*=(Uints& a, Uints b) { return a = a * b; }
ORB_ALWAYS_INLINE Mask operator==(Uints a, Uints b) { return Mask(raw::Ints(a.v == b.v)); }
ORB_ALWAYS_INLINE Mask operator!=(Uints a, Uints b) { return Mask(raw::Ints(a.v != b.v)); }
ORB_ALWAYS_INLINE Mask operator<(Uints a, Uints b) { return Mask(raw::Ints(a.v < b.v)); }

// Bitwise blends: plain x86-64 has no blend instruction, and a vector `?:`
// there becomes a branch per lane.
ORB_ALWAYS_INLINE Ints select(Mask m, Ints a, Ints b) { return Ints((a.v & m.v) | (b.v & ~m.v)); }
ORB_ALWAYS_INLINE Uints select(Mask m, Uints a, Uints b) {
  const auto bits = reinterpret_cast<raw::Uints>(m.v);
  return Uints((a.v & bits) | (b.v & ~bits));
}
ORB_ALWAYS_INLINE Floats select(Mask m, Floats a, Floats b) {
  const auto bits = reinterpret_cast<raw::Uints>(m.v);
  return Floats(reinterpret_cast<raw::Floats>((reinterpret_cast<raw::Uints>(a.v) & bits) |
                                              (reinterpret_cast<raw::Uints>(b.v) & ~bits)));
}
// Folds the halves together, so the test stays in registers.
ORB_ALWAYS_INLINE bool any(Mask m) {
  static_assert(kLanes == 8);
  raw::Ints f = m.v | __builtin_shufflevector(m.v, m.v, 4, 5, 6, 7, 4, 5, 6, 7);
  f = f | __builtin_shufflevector(f, f, 2, 3, 2, 3, 2, 3, 2, 3);
  f = f | __builtin_shufflevector(f, f, 1, 1, 1, 1, 1, 1, 1, 1);
  return f[0] != 0;
}

ORB_ALWAYS_INLINE bool sameInEveryLane(Ints i) { return !any(!(i == Ints(i.v[0]))); }
ORB_ALWAYS_INLINE std::int32_t firstLane(Ints i) { return i.v[0]; }

template <>
ORB_ALWAYS_INLINE constexpr int lanesOf<Floats>() {
  return kLanes;
}

template <>
ORB_ALWAYS_INLINE Ints laneOffsets<Ints>(int count) {
  static_assert(kLanes == 8);
  const Ints up(raw::Ints{0, 1, 2, 3, 4, 5, 6, 7});
  return select(up < Ints(count), up, Ints(count - 1));
}

ORB_ALWAYS_INLINE Uints asUint(Ints i) { return Uints(reinterpret_cast<raw::Uints>(i.v)); }
ORB_ALWAYS_INLINE Ints asInt(Uints i) { return Ints(reinterpret_cast<raw::Ints>(i.v)); }
ORB_ALWAYS_INLINE Uints bitsOf(Floats x) { return Uints(reinterpret_cast<raw::Uints>(x.v)); }
ORB_ALWAYS_INLINE Floats fromBits(Uints b) { return Floats(reinterpret_cast<raw::Floats>(b.v)); }
ORB_ALWAYS_INLINE Floats toFloat(Ints i) { return Floats(__builtin_convertvector(i.v, raw::Floats)); }
// Values below 2^31, as every use here has (hash bits, masked).
ORB_ALWAYS_INLINE Floats toFloat(Uints i) { return toFloat(asInt(i)); }
ORB_ALWAYS_INLINE Ints truncateToInt(Floats x) { return Ints(__builtin_convertvector(x.v, raw::Ints)); }

ORB_ALWAYS_INLINE Floats abs(Floats x) { return fromBits(bitsOf(x) & 0x7FFFFFFFu); }
ORB_ALWAYS_INLINE Floats copySign(Floats magnitude, Floats sign) {
  return fromBits((bitsOf(magnitude) & 0x7FFFFFFFu) | (bitsOf(sign) & 0x80000000u));
}

// floorf lane by lane, -0 and values beyond 2^23 included: the truncation
// stepped down where it rose, with the argument's sign (floor never changes
// it, and a zero result keeps the sign of a zero argument).
ORB_ALWAYS_INLINE Floats floor(Floats x) {
  const Floats t = toFloat(truncateToInt(x));
  const Floats down = copySign(select(t > x, t - 1.f, t), x);
  return select(abs(x) < 8388608.f, down, x);  // NaN, infinities and large values are whole already
}

ORB_ALWAYS_INLINE Floats sqrt(Floats x) {
  raw::Floats r;
  for (int l = 0; l < kLanes; ++l) r[l] = __builtin_sqrtf(x.v[l]);  // one vector square root (no errno)
  return Floats(r);
}

// fminf / fmaxf: a NaN argument gives the other one.
ORB_ALWAYS_INLINE Floats min(Floats a, Floats b) { return select(b != b, a, select((b < a) | (a != a), b, a)); }
ORB_ALWAYS_INLINE Floats max(Floats a, Floats b) { return select(b != b, a, select((b > a) | (a != a), b, a)); }

// Lane `l` of a pack, and a pack read lane by lane from scattered places.
ORB_ALWAYS_INLINE float lane(Floats x, int l) { return x.v[l]; }
ORB_ALWAYS_INLINE bool holds(Mask m, int l) { return m.v[l] != 0; }
template <class F>
ORB_ALWAYS_INLINE Floats laneByLane(Floats x, F f) {
  raw::Floats r;
  for (int l = 0; l < kLanes; ++l) r[l] = f(x.v[l]);
  return Floats(r);
}
ORB_ALWAYS_INLINE Floats gatherAt(const float* base, Ints i) {
  raw::Floats r;
  for (int l = 0; l < kLanes; ++l) r[l] = base[i.v[l]];
  return Floats(r);
}
ORB_ALWAYS_INLINE Ints gatherAt(const std::int32_t* base, Ints i) {
  raw::Ints r;
  for (int l = 0; l < kLanes; ++l) r[l] = base[i.v[l]];
  return Ints(r);
}
template <class Read>
ORB_ALWAYS_INLINE Floats gatherFloats(Read read) {
  raw::Floats r;
  for (int l = 0; l < kLanes; ++l) r[l] = read(l);
  return Floats(r);
}
template <class Read>
ORB_ALWAYS_INLINE Uints gatherUints(Read read) {
  raw::Uints r;
  for (int l = 0; l < kLanes; ++l) r[l] = read(l);
  return Uints(r);
}

#endif  // !__CUDACC__

}  // namespace util::lanes
