#pragma once

// The engine's random numbers. The generator is the classic 15-bit linear congruential one
// (RAND_MAX 32767, state starting at 1, never seeded), so every run, ocean and terrain is the same
// on every machine. Use these instead of the C library's rand().
inline constexpr int kRandomMax = 32767;

// Next value in 0..32767.
int randomNext();

// lo + next·(1/32767)·(hi − lo): uniform in [lo, hi].
float randomRange(float lo, float hi);

// next % (hi − lo + 1) + lo, in signed arithmetic. A reversed range (hi < lo) gives lo.
int randomInt(int lo, int hi);

// Standard normal number by the polar Box-Muller method, one value of each pair cached.
float randomGaussian();

// Restores the state of program start (state 1, no cached Gaussian). For tests and reproducible runs.
void resetRandom();
