#pragma once

// Scalable animation time: each tick adds the Timer's delta times the scale (tick the Timer first).
class GameClock {
 public:
  static GameClock& instance();

  void tick();
  double time() const { return timeMs; }
  double delta() const { return deltaMs; }
  float scale() const { return timeScale; }
  void setScale(float s) { timeScale = s; }

  // Restarts at the Timer's current time with scale 1 (tests use this between cases).
  void reset();

 private:
  GameClock();

  double timeMs;
  double deltaMs = 0.0;
  float timeScale = 1.0f;
};
