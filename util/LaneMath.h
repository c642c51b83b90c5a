#pragma once
// Logarithm, exponential, sine and cosine of lane-generic numbers. For R = float they are
// the platform's logf, sinf and cosf (the device's own on the cuda backend);
// for packs they are minimax polynomials after a range reduction: the
// logarithm and the exponential within one unit in the last place of the
// exact value (the exponential of normal results), sine and
// cosine within two, or within 2^-26 absolutely where they are below 1/4
// (near their zeros the reduction's own rounding dominates); the tests hold
// them to that. They give the same bits on every instruction set, since each
// step is one rounded float operation in a fixed order.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "util/Lanes.h"

namespace util::lanes {

ORB_HD ORB_ALWAYS_INLINE float log(float x) { return logf(x); }
ORB_HD ORB_ALWAYS_INLINE float sin(float x) { return sinf(x); }
ORB_HD ORB_ALWAYS_INLINE float cos(float x) { return cosf(x); }
ORB_HD ORB_ALWAYS_INLINE float exp(float x) { return expf(x); }

#if !defined(__CUDACC__)

// Natural logarithm: x = 2^e m with m in [sqrt(1/2), sqrt(2)), log(1 + f) by
// a degree-9 polynomial, e log 2 added in two parts so that the large one is
// exact. Zero gives -inf, negative numbers and NaN give NaN.
template <class R>
ORB_ALWAYS_INLINE R polyLog(R x) {
  using I = IntOf<R>;
  const auto subnormal = x < 1.17549435e-38f;
  const R xs = select(subnormal, x * 8388608.f, x);
  const auto bits = bitsOf(xs);
  I e = asInt(bits >> 23) - 126 - select(subnormal, I(23), I(0));
  R m = fromBits((bits & 0x007FFFFFu) | 0x3F000000u);  // in [1/2, 1)
  const auto low = m < 0.707106781186547524f;
  e = select(low, e - 1, e);
  const R f = select(low, m + m - 1.f, m - 1.f);
  const R z = f * f;
  R y = 7.0376836292e-2f;
  y = y * f - 1.1514610310e-1f;
  y = y * f + 1.1676998740e-1f;
  y = y * f - 1.2420140846e-1f;
  y = y * f + 1.4249322787e-1f;
  y = y * f - 1.6668057665e-1f;
  y = y * f + 2.0000714765e-1f;
  y = y * f - 2.4999993993e-1f;
  y = y * f + 3.3333331174e-1f;
  y = y * f * z;
  const R fe = toFloat(e);
  y = y + fe * -2.12194440e-4f;
  y = y - 0.5f * z;
  R r = f + y;
  r = r + fe * 0.693359375f;
  r = select(x == 0.f, R(-INFINITY), r);
  r = select(x == INFINITY, R(INFINITY), r);
  return select((x < 0.f) | (x != x), R(NAN), r);
}

// Exponential: x = n log 2 + r with |r| <= log 2 / 2 (the large part of
// log 2 exact), e^r by a degree-7 polynomial, then 2^n put into the
// exponent. Results below the smallest normal float are 0, beyond the
// largest infinity; NaN stays NaN.
template <class R>
ORB_ALWAYS_INLINE R polyExp(R x) {
  using I = IntOf<R>;
  const R n = floor(x * 1.44269504088896341f + 0.5f);
  R r = x - n * 0.693359375f;
  r = r - n * -2.12194440e-4f;
  const R z = r * r;
  R y = 1.9875691500e-4f;
  y = y * r + 1.3981999507e-3f;
  y = y * r + 8.3334519073e-3f;
  y = y * r + 4.1665795894e-2f;
  y = y * r + 1.6666665459e-1f;
  y = y * r + 5.0000001201e-1f;
  y = y * z + r + 1.f;
  // 2^n must be a normal float: n = 128 (results just below the largest
  // float) scales by 2 first, smaller n than -126 is cut off below.
  y = select(n > 127.f, y + y, y);
  const I e = truncateToInt(max(min(n, R(127.f)), R(-126.f)));
  R result = y * fromBits(asUint(e + 127) << 23);
  result = select(x < -87.3365447f, R(0.f), result);
  result = select(x > 88.7228391f, R(INFINITY), result);
  return select(x != x, x, result);
}

// Below this magnitude the three-part reduction by pi/4 keeps the remainder
// exact to float precision; beyond it the platform's functions take over.
constexpr float kPolyTrigLimit = 8192.f;

// Sine and cosine together: |x| = j pi/4 + r with j even and |r| <= pi/4,
// the quadrant j/2 choosing between the two polynomials and their signs.
template <class R>
ORB_ALWAYS_INLINE void polySinCos(R x, R& s, R& c) {
  using I = IntOf<R>;
  const R a = abs(x);
  I j = truncateToInt(a * 1.27323954473516f);
  j = (j + 1) & I(-2);
  const R y = toFloat(j);
  const R r = ((a - y * 0.78515625f) - y * 2.4187564849853515625e-4f) - y * 3.77489497744594108e-8f;
  const R z = r * r;
  const R sinR = ((-1.9515295891e-4f * z + 8.3321608736e-3f) * z - 1.6666654611e-1f) * z * r + r;
  const R cosR = ((2.443315711809948e-5f * z - 1.388731625493765e-3f) * z + 4.166664568298827e-2f) * z * z -
                 0.5f * z + 1.f;
  const auto q = asUint(j) >> 1;
  const auto swap = (q & 1u) != 0u;
  const auto sinNegative = bitsOf(x) ^ select((q & 2u) != 0u, UintOf<R>(0x80000000u), UintOf<R>(0u));
  const auto cosNegative = select(((q + 1u) & 2u) != 0u, UintOf<R>(0x80000000u), UintOf<R>(0u));
  s = fromBits(bitsOf(select(swap, cosR, sinR)) ^ (sinNegative & 0x80000000u));
  c = fromBits(bitsOf(select(swap, sinR, cosR)) ^ cosNegative);
}

ORB_ALWAYS_INLINE Floats log(Floats x) { return polyLog(x); }
ORB_ALWAYS_INLINE Floats exp(Floats x) { return polyExp(x); }

ORB_ALWAYS_INLINE void sinCos(Floats x, Floats& s, Floats& c) {
  polySinCos(x, s, c);
  if (any(!(abs(x) <= kPolyTrigLimit))) {  // large, infinite or NaN lanes
    raw::Floats ls = s.v, lc = c.v;
    for (int l = 0; l < kLanes; ++l)
      if (!(fabsf(x.v[l]) <= kPolyTrigLimit)) {
        ls[l] = sinf(x.v[l]);
        lc[l] = cosf(x.v[l]);
      }
    s = Floats(ls);
    c = Floats(lc);
  }
}
ORB_ALWAYS_INLINE Floats sin(Floats x) {
  Floats s, c;
  sinCos(x, s, c);
  return s;
}
ORB_ALWAYS_INLINE Floats cos(Floats x) {
  Floats s, c;
  sinCos(x, s, c);
  return c;
}

#endif  // !__CUDACC__

}  // namespace util::lanes
