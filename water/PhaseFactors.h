#pragma once
#include <cmath>

// Sine and cosine in plain arithmetic, so that loops over whole grids vectorise. Accurate to
// about 1e-7 for |x| ≤ π.

// sin y for |y| ≤ π/2 (Taylor to y¹³, error below 6e-8).
inline float sinHalfPeriod(float y) {
  const float y2 = y * y;
  return y * (1.0f + y2 * (-1.6666667e-1f + y2 * (8.3333333e-3f + y2 * (-1.9841270e-4f +
             y2 * (2.7557319e-6f + y2 * -2.5052108e-8f)))));
}

// sin x and cos x for |x| ≤ π: sin x = sin(π − x) folds |x| into [0, π/2], cos x = sin(π/2 − |x|).
inline void sinCosPeriod(float x, float& sine, float& cosine) {
  constexpr float kPi = 3.14159265f;
  constexpr float kHalfPi = 1.57079633f;
  const float ax = std::fabs(x);
  const float reflected = kPi - ax;
  const float folded = ax < reflected ? ax : reflected;
  sine = std::copysign(sinHalfPeriod(folded), x);
  cosine = sinHalfPeriod(kHalfPi - ax);
}

// x − 2π·round(x/2π) in double, as a float in [−π, π]; round-to-nearest through 2^52·1.5.
inline float reducePhase(double x) {
  constexpr double kTwoPi = 6.283185307179586;
  constexpr double kRound = 6755399441055744.0;
  const double turns = (x * (1.0 / kTwoPi) + kRound) - kRound;
  return static_cast<float>(x - turns * kTwoPi);
}

// The same in float, for phases of at most a few thousand radians.
inline float reducePhase(float x) {
  constexpr float kTwoPi = 6.28318531f;
  constexpr float kRound = 12582912.0f;  // 2^23·1.5
  const float turns = (x * (1.0f / kTwoPi) + kRound) - kRound;
  return x - turns * kTwoPi;
}
