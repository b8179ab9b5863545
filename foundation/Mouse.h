#pragma once
#include <cstdint>

// A pair of mouse values (motion or cursor position).
struct MousePoint {
  float x = 0.0f;
  float y = 0.0f;
};

// Mouse state of the last poll, read from the installed InputSource.
class Mouse {
 public:
  static Mouse& instance();

  // Reads the cursor, then buttons, motion and wheel; each part that fails to read keeps its state.
  void poll();

  // 1 while button i (0 left, 1 right, 2 middle) was held; 0 for other indices.
  std::uint8_t button(int i) const;
  // Relative motion reported by the last poll (device units, not pixels).
  MousePoint movement() const { return motion; }
  // Cursor position in screen coordinates at the last poll.
  MousePoint cursor() const { return position; }
  float wheel() const { return wheelMotion; }

  // Everything back to 0 (tests use this between cases).
  void reset();

 private:
  Mouse() = default;

  std::uint8_t buttons[3] = {0, 0, 0};
  MousePoint motion;
  MousePoint position;
  float wheelMotion = 0.0f;
};
