#pragma once
// Scalar constants and helpers shared by host code and kernels.
#include <numbers>

#include "gpu/Config.h"

namespace util {

inline constexpr float kPi = std::numbers::pi_v<float>;
inline constexpr float kTwoPi = 2.f * kPi;  // doubling is exact, so this is 2π rounded once
inline constexpr float kDegToRad = kPi / 180.f;

ORB_HD inline float radians(float degrees) { return degrees * kDegToRad; }
ORB_HD inline float lerp(float a, float b, float t) { return a + (b - a) * t; }
ORB_HD inline float clamp01(float x) { return x < 0.f ? 0.f : (x > 1.f ? 1.f : x); }
// The cubic ease 3x² − 2x³ of x in [0, 1].
ORB_HD inline float smoothStep(float x) { return x * x * (3.f - 2.f * x); }

}  // namespace util
