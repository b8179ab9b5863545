#pragma once

// Angles are radians; these are the engine's 32-bit values of the usual constants.
inline constexpr float kPi = 3.1415927f;
inline constexpr float kHalfPi = 1.5707964f;
inline constexpr float kQuarterPi = 0.7853982f;
inline constexpr float kTwoPi = 6.2831855f;
inline constexpr float kSqrt2 = 1.4142135f;

// Below this per-component magnitude a vector counts as zero.
inline constexpr float kVectorEpsilon = 1.1920929e-06f;
