#include "foundation/Mouse.h"

#include "foundation/InputSource.h"

Mouse& Mouse::instance() {
  static Mouse mouse;
  return mouse;
}

void Mouse::poll() {
  InputSource* source = InputSource::installed();
  if (!source) return;
  float x = 0.0f, y = 0.0f;
  if (source->readCursor(x, y)) position = {x, y};
  MouseReading reading;
  if (source->readMouse(reading)) {
    motion = {reading.dx, reading.dy};
    wheelMotion = reading.wheel;
    for (int k = 0; k < 3; ++k) buttons[k] = reading.buttons[k] ? 1 : 0;
  }
}

std::uint8_t Mouse::button(int i) const { return i >= 0 && i < 3 ? buttons[i] : 0; }

void Mouse::reset() {
  for (std::uint8_t& b : buttons) b = 0;
  motion = {};
  position = {};
  wheelMotion = 0.0f;
}
