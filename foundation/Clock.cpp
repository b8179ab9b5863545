#include "foundation/Clock.h"

#include <chrono>

Clock::Clock() : startMs(nowMs()) {}

double Clock::elapsed(bool inSeconds) const {
  const double ms = nowMs() - startMs;
  return inSeconds ? ms * 0.001 : ms;
}

void Clock::restart() { startMs = nowMs(); }

Clock& Clock::program() {
  static Clock clock;
  return clock;
}

double Clock::nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
