#pragma once
#include "foundation/InputAction.h"

// Auto-repeat of a held source action: it presses at once, again one frame after the delay
// (500 ms) and then one frame after every further interval (50 ms). Each repeat is made by one
// frame in which the action is not active, so that the next frame is a new rising edge.
class RepeatAction : public InputAction {
 public:
  // source is not owned and must outlive this action.
  explicit RepeatAction(InputAction* source) : source(source) {}

  static constexpr double kDelayMs = 500.0;
  static constexpr double kIntervalMs = 50.0;

 protected:
  void poll() override;

 private:
  double delay = kDelayMs;
  double interval = kIntervalMs;
  double wait = 0.0;
  double last = 0.0;
  InputAction* source;
};
