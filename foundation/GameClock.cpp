#include "foundation/GameClock.h"

#include "foundation/Timer.h"

GameClock::GameClock() : timeMs(Timer::instance().time()) {}

GameClock& GameClock::instance() {
  static GameClock clock;
  return clock;
}

void GameClock::tick() {
  deltaMs = Timer::instance().delta() * timeScale;
  timeMs += deltaMs;
}

void GameClock::reset() {
  timeMs = Timer::instance().time();
  deltaMs = 0.0;
  timeScale = 1.0f;
}
