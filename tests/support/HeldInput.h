#pragma once
#include <cstdint>
#include <set>

#include "foundation/InputSource.h"

namespace testsupport {

// Keys and mouse buttons held, a motion every poll and a fixed cursor, as a script would give
// them to the scenes.
class HeldInput : public InputSource {
 public:
  std::set<int> held;
  bool buttons[3] = {false, false, false};
  float motionX = 0.0f;
  float cursorX = 320.0f, cursorY = 240.0f;

  bool readKeyboard(std::uint8_t* keys) override {
    for (int k = 0; k < kKeyCount; ++k) keys[k] = held.count(k) ? 1 : 0;
    return true;
  }
  bool readMouse(MouseReading& reading) override {
    reading = MouseReading{};
    for (int b = 0; b < 3; ++b) reading.buttons[b] = buttons[b] ? 1 : 0;
    reading.dx = motionX;
    return true;
  }
  bool readCursor(float& x, float& y) override {
    x = cursorX;
    y = cursorY;
    return true;
  }
};

}  // namespace testsupport
