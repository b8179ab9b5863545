#include "foundation/Timer.h"

Timer& Timer::instance() {
  static Timer timer;
  return timer;
}

void Timer::tick() {
  const double previous = timeMs;
  timeMs = isFixedStep() ? timeMs + fixedStepMs : clock.elapsed(false) - pausedTotalMs;
  deltaMs = timeMs - previous;
  ++frameNumber;
}

void Timer::setFixedStep(double stepMs) { fixedStepMs = stepMs > 0.0 ? stepMs : 0.0; }

void Timer::pause() {
  if (pausedAtMs < 0.0) pausedAtMs = clock.elapsed(false);
}

void Timer::resume() {
  if (pausedAtMs < 0.0) return;
  pausedTotalMs += clock.elapsed(false) - pausedAtMs;
  pausedAtMs = -1.0;
}

void Timer::reset() {
  clock.restart();
  pausedAtMs = -1.0;
  pausedTotalMs = 0.0;
  timeMs = 0.0;
  deltaMs = 0.0;
  frameNumber = 0;
}
