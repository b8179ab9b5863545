#pragma once
#include <cstdint>

// An input that scenes ask two things per frame: is it held (isActive) and did it start this frame
// (pressed). update() evaluates it at most once per Timer frame, so several owners may update one
// shared action; before the Timer's first tick nothing is evaluated.
class InputAction {
 public:
  virtual ~InputAction() = default;

  void update();
  bool isActive() const { return active != 0; }
  // The rising edge: active now, not active at the previous evaluation.
  bool pressed() const { return active != 0 && wasActive == 0; }

 protected:
  // Sets active for this frame.
  virtual void poll() = 0;
  virtual void afterPoll() {}

  // Withdraws another action's state for this frame (a chord hides its first key's press).
  static void clearActive(InputAction& action) { action.active = 0; }

  std::uint8_t active = 0;
  std::uint32_t lastFrame = 0;
  std::uint8_t wasActive = 0;
};
