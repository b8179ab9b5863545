#include "foundation/Timer.h"

Timer& Timer::instance() {
  static Timer timer;
  return timer;
}

void Timer::tick() {
  const double previous = timeMs;
  timeMs = isFixedStep() ? timeMs + fixedStepMs : clock.elapsed(false);
  deltaMs = timeMs - previous;
  ++frameNumber;
}

void Timer::setFixedStep(double stepMs) { fixedStepMs = stepMs > 0.0 ? stepMs : 0.0; }

void Timer::reset() {
  clock.restart();
  timeMs = 0.0;
  deltaMs = 0.0;
  frameNumber = 0;
}
