#include "foundation/Random.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class Random : public ::testing::Test {
 protected:
  void SetUp() override { resetRandom(); }
};

TEST_F(Random, FirstValuesOfTheGenerator) {
  // state = state·214013 + 2531011 (mod 2^32), value = bits 16..30 of the state:
  // 1 → 2745024 = 41·65536 + 58048, so the first value is 41; then 3357800067 → 51235 & 0x7FFF.
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(randomNext(), value);
}

TEST_F(Random, ResetRestartsTheSequence) {
  for (int i = 0; i < 10; ++i) randomNext();
  resetRandom();
  EXPECT_EQ(randomNext(), 41);
}

TEST_F(Random, RangeScalesTheNextValue) {
  // 41 · 3.051851e-5 · (4 − 2) + 2
  EXPECT_NEAR(randomRange(2.0f, 4.0f), 2.0025025f, 1e-6f);
  // 18467 · 3.051851e-5 · (−1 − 1) + 1
  EXPECT_NEAR(randomRange(1.0f, -1.0f), -0.127165f, 1e-5f);
}

TEST_F(Random, RangeStaysWithinItsBounds) {
  float lowest = 10.0f, highest = -10.0f;
  for (int i = 0; i < 200000; ++i) {
    const float v = randomRange(-3.0f, 5.0f);
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  EXPECT_GE(lowest, -3.0f);
  EXPECT_LE(highest, 5.0f);
  // The 15-bit generator reaches both ends of its range within a period.
  EXPECT_LT(lowest, -2.999f);
  EXPECT_GT(highest, 4.999f);
}

TEST_F(Random, IntIsTheRemainderShiftedToLow) {
  // 41 % 6 + 1, 18467 % 6 + 1, 6334 % 6 + 1, 26500 % 7 − 3 (26500 = 7·3785 + 5)
  EXPECT_EQ(randomInt(1, 6), 6);
  EXPECT_EQ(randomInt(1, 6), 6);
  EXPECT_EQ(randomInt(1, 6), 5);
  EXPECT_EQ(randomInt(-3, 3), 2);
}

TEST_F(Random, IntCoversItsWholeInclusiveRange) {
  std::set<int> seen;
  for (int i = 0; i < 1000; ++i) {
    const int v = randomInt(-2, 2);
    ASSERT_GE(v, -2);
    ASSERT_LE(v, 2);
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(randomInt(7, 7), 7);
}

TEST_F(Random, IntOfAReversedRangeGivesLowInsteadOfDividingByZeroOrANegativeSpan) {
  // hi = lo − 1 would divide by zero; the second call's 18467 % (0 − 5 + 1) is 3 and would give
  // 8, far above hi = 0.
  EXPECT_EQ(randomInt(5, 4), 5);
  EXPECT_EQ(randomInt(5, 0), 5);
  EXPECT_EQ(randomInt(2147483647, -2147483647 - 1), 2147483647);
  // Each used up one value like any other call.
  EXPECT_EQ(randomNext(), 26500);
}

TEST_F(Random, GaussianMakesPairsAndCachesTheSecond) {
  // Pair 1 from 41 and 18467 has a² + b² = 1.0112 and is rejected; pair 2 from 6334 and 26500:
  // a = −0.613398, b = 0.617463, q = 0.757532, f = sqrt(−2 ln q / q) = 0.856235.
  EXPECT_NEAR(randomGaussian(), -0.525209f, 1e-4f);
  EXPECT_NEAR(randomGaussian(), 0.528710f, 1e-4f);
  // The second value came from the cache: exactly four values were drawn for both.
  EXPECT_EQ(randomNext(), 19169);
}

TEST_F(Random, ResetForgetsTheCachedGaussian) {
  const float first = randomGaussian();
  resetRandom();
  EXPECT_FLOAT_EQ(randomGaussian(), first);
}

}  // namespace
