#include <gtest/gtest.h>

#include <ostream>

#include <vector>

#include "TestSupport.h"
#include "foundation/Clock.h"
#include "foundation/FrameStats.h"
#include "foundation/GameClock.h"
#include "foundation/Timer.h"

namespace {

using testsupport::ManualTime;

TEST(Clock, CountsWholeMilliseconds) {
  ManualTime time(1000.0);
  Clock clock;
  time.set(1000.7);
  EXPECT_EQ(clock.elapsed(false), 0.0);
  time.set(1001.2);
  EXPECT_EQ(clock.elapsed(false), 1.0);
  time.set(3500.9);
  EXPECT_EQ(clock.elapsed(false), 2500.0);
  EXPECT_DOUBLE_EQ(clock.elapsed(true), 2.5);
  clock.restart();
  EXPECT_EQ(clock.elapsed(false), 0.0);
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Timer::instance().setFixedStep(0.0);
    Timer::instance().reset();
  }
  void TearDown() override {
    Timer::instance().setFixedStep(0.0);
    Timer::instance().reset();
  }
  ManualTime time{5000.0};
};

TEST_F(TimerTest, StartsAtZero) {
  Timer& timer = Timer::instance();
  EXPECT_EQ(timer.time(), 0.0);
  EXPECT_EQ(timer.delta(), 0.0);
  EXPECT_EQ(timer.frame(), 0u);
}

TEST_F(TimerTest, TicksWithoutClockChangeGiveZeroDeltaAndStillCount) {
  Timer& timer = Timer::instance();
  time.advance(16.0);
  timer.tick();
  EXPECT_EQ(timer.time(), 16.0);
  EXPECT_EQ(timer.delta(), 16.0);
  EXPECT_EQ(timer.frame(), 1u);
  time.advance(0.4);  // less than a millisecond: the clock does not move
  timer.tick();
  EXPECT_EQ(timer.time(), 16.0);
  EXPECT_EQ(timer.delta(), 0.0);
  EXPECT_EQ(timer.frame(), 2u);
  time.advance(9.0);
  timer.tick();
  EXPECT_EQ(timer.time(), 25.0);
  EXPECT_EQ(timer.delta(), 9.0);
  EXPECT_EQ(timer.frame(), 3u);
}

TEST_F(TimerTest, FixedStepIgnoresTheClock) {
  Timer& timer = Timer::instance();
  timer.setFixedStep(10.0);
  EXPECT_TRUE(timer.isFixedStep());
  timer.tick();
  time.advance(500.0);
  timer.tick();
  timer.tick();
  EXPECT_EQ(timer.time(), 30.0);
  EXPECT_EQ(timer.delta(), 10.0);
  EXPECT_EQ(timer.frame(), 3u);
  timer.setFixedStep(-1.0);
  EXPECT_FALSE(timer.isFixedStep());
}

TEST_F(TimerTest, APauseIsNotCountedAsTime) {
  Timer& timer = Timer::instance();
  time.advance(20.0);
  timer.tick();
  timer.pause();
  time.advance(5000.0);  // minimised for five seconds
  timer.pause();         // a second pause changes nothing
  EXPECT_TRUE(timer.isPaused());
  timer.resume();
  EXPECT_FALSE(timer.isPaused());
  time.advance(16.0);
  timer.tick();
  EXPECT_EQ(timer.time(), 36.0);
  EXPECT_EQ(timer.delta(), 16.0);
  timer.resume();  // not paused: nothing happens
  time.advance(10.0);
  timer.tick();
  EXPECT_EQ(timer.time(), 46.0);
  EXPECT_EQ(timer.frame(), 3u);
}

std::vector<double> fixedRun() {
  Timer& timer = Timer::instance();
  timer.reset();
  timer.setFixedStep(1000.0 / 60.0);
  GameClock& game = GameClock::instance();
  game.reset();
  game.setScale(0.25f);
  std::vector<double> times;
  for (int i = 0; i < 120; ++i) {
    timer.tick();
    game.tick();
    times.push_back(timer.time());
    times.push_back(game.time());
  }
  return times;
}

TEST_F(TimerTest, FixedStepRunsAreReproducible) {
  const std::vector<double> first = fixedRun();
  time.advance(12345.0);
  const std::vector<double> second = fixedRun();
  EXPECT_EQ(first, second);
  EXPECT_NEAR(first[238], 2000.0, 1e-9);  // 120 steps of 1/60 s
  EXPECT_NEAR(first[239], 500.0, 1e-9);   // a quarter of that
  GameClock::instance().reset();
}

struct ScaleCase {
  float scale;
  double expectedGameAdvance;
};

void PrintTo(const ScaleCase& c, std::ostream* os) { *os << "scale " << c.scale; }

class GameClockScale : public TimerTest, public ::testing::WithParamInterface<ScaleCase> {};

TEST_P(GameClockScale, AdvancesByTheScaledTimerDelta) {
  Timer& timer = Timer::instance();
  timer.setFixedStep(10.0);
  for (int i = 0; i < 3; ++i) timer.tick();
  GameClock& game = GameClock::instance();
  game.reset();
  EXPECT_EQ(game.time(), 30.0);  // starts at the timer's time
  game.setScale(GetParam().scale);
  for (int i = 0; i < 4; ++i) {
    timer.tick();
    game.tick();
  }
  EXPECT_DOUBLE_EQ(game.time() - 30.0, GetParam().expectedGameAdvance);
  EXPECT_DOUBLE_EQ(game.delta(), GetParam().expectedGameAdvance / 4.0);
  game.reset();
}

INSTANTIATE_TEST_SUITE_P(Scales, GameClockScale,
                         ::testing::Values(ScaleCase{1.0f, 40.0}, ScaleCase{0.5f, 20.0},
                                           ScaleCase{0.0f, 0.0}, ScaleCase{2.0f, 80.0}));

struct FpsCase {
  const char* description;
  std::vector<double> frameTimes;
  unsigned expectedFps;
};

void PrintTo(const FpsCase& c, std::ostream* os) { *os << c.description; }

class FrameStatsFps : public ::testing::TestWithParam<FpsCase> {};

TEST_P(FrameStatsFps, CountsTheFramesOfTheLastClosedInterval) {
  FrameStats stats;
  for (double t : GetParam().frameTimes) stats.frame(t);
  EXPECT_EQ(stats.fps(), GetParam().expectedFps) << GetParam().description;
}

std::vector<double> every(double step, double from, double to) {
  std::vector<double> times;
  for (double t = from; t <= to + 1e-9; t += step) times.push_back(t);
  return times;
}

INSTANTIATE_TEST_SUITE_P(
    Intervals, FrameStatsFps,
    ::testing::Values(
        FpsCase{"exactly 1000 ms after the mark does not close", every(100.0, 100.0, 1000.0), 0},
        FpsCase{"the closing frame counts", every(100.0, 100.0, 1100.0), 11},
        FpsCase{"a stall reports every frame of the interval", {10.0, 20.0, 30.0, 5000.0}, 4},
        FpsCase{"frames with zero delta count", {500.0, 500.0, 500.0, 1000.5}, 4},
        FpsCase{"the second interval starts at the closing frame",
                {1001.0, 1500.0, 2000.0, 2001.0}, 1},
        FpsCase{"the second interval closes after its own 1000 ms",
                {1001.0, 1500.0, 2000.0, 2001.0, 2002.0}, 4}));

TEST(FrameStats, LastCountsDescribeThePreviousFrame) {
  FrameStats stats;
  stats.addPrimitives(3, 1);
  stats.addPrimitives(6, 2);
  EXPECT_EQ(stats.lastVertices(), 0u);
  stats.frame(10.0);
  EXPECT_EQ(stats.lastVertices(), 9u);
  EXPECT_EQ(stats.lastTriangles(), 3u);
  stats.addPrimitives(4, 4);
  EXPECT_EQ(stats.lastVertices(), 9u);  // the frame being drawn does not show yet
  stats.frame(20.0);
  EXPECT_EQ(stats.lastVertices(), 4u);
  EXPECT_EQ(stats.lastTriangles(), 4u);
  stats.frame(30.0);  // a frame that drew nothing
  EXPECT_EQ(stats.lastVertices(), 0u);
  EXPECT_EQ(stats.lastTriangles(), 0u);
}

}  // namespace
