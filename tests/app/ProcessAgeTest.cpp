#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/ShellApp.h"

namespace {

TEST(ProcessAgeTest, GrowsWithWallTimeFromAPlausibleStart) {
  const double first = processAgeMs();
  // The test binary started a moment ago: more than nothing, less than ten minutes.
  EXPECT_GT(first, 0.0);
  EXPECT_LT(first, 10.0 * 60.0 * 1000.0);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const double second = processAgeMs();
  // The start is fixed, so the age moves with the clock (the sleep may overrun a little).
  EXPECT_GE(second - first, 99.0);
  EXPECT_LT(second - first, 300.0);
}

}  // namespace
