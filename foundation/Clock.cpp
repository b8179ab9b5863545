#include "foundation/Clock.h"

#include <chrono>
#include <cmath>

namespace {

double systemMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

Clock::TimeSource& timeSource() {
  static Clock::TimeSource source = systemMs;
  return source;
}

}  // namespace

Clock::Clock() : startTicks(ticks()) {}

double Clock::elapsed(bool inSeconds) const {
  const double ms = ticks() - startTicks;
  return inSeconds ? ms * 0.001 : ms;
}

void Clock::restart() { startTicks = ticks(); }

Clock& Clock::program() {
  static Clock clock;
  return clock;
}

double Clock::nowMs() { return timeSource()(); }

void Clock::setTimeSource(TimeSource source) { timeSource() = source ? source : systemMs; }

double Clock::ticks() { return std::floor(nowMs()); }
