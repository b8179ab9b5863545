#pragma once
#include <cstdint>

#include "foundation/Clock.h"

// Frame timer: engine time in milliseconds since the timer was created, the delta between the last
// two ticks and the number of ticks. In fixed-step mode every tick advances time by exactly the
// step, so a run of N frames is reproducible whatever the machine does.
class Timer {
 public:
  static Timer& instance();

  void tick();
  double time() const { return timeMs; }
  double delta() const { return deltaMs; }
  std::uint32_t frame() const { return frameNumber; }

  // A step of 0 or less returns to wall-clock time.
  void setFixedStep(double stepMs);
  double fixedStep() const { return fixedStepMs; }
  bool isFixedStep() const { return fixedStepMs > 0.0; }

  // Engine time stands still from pause to resume (a minimised window draws nothing): the first
  // tick after resume advances by an ordinary frame, not by the whole pause. A second pause
  // before resume changes nothing; in fixed-step mode time only moves by ticks anyway.
  void pause();
  void resume();
  bool isPaused() const { return pausedAtMs >= 0.0; }

  // Back to the state right after construction (tests use this between cases).
  void reset();

 private:
  Timer() = default;

  Clock clock;
  double timeMs = 0.0;
  double deltaMs = 0.0;
  std::uint32_t frameNumber = 0;
  double fixedStepMs = 0.0;
  double pausedAtMs = -1.0;   // clock time of the pause in progress; negative when running
  double pausedTotalMs = 0.0;  // clock time spent in earlier pauses
};
