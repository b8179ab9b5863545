#include "foundation/Keyboard.h"

#include "foundation/InputSource.h"

Keyboard& Keyboard::instance() {
  static Keyboard keyboard;
  return keyboard;
}

Keyboard::Keyboard() { poll(); }

void Keyboard::poll() {
  InputSource* source = InputSource::installed();
  if (!source) return;
  std::uint8_t read[kKeyCount] = {};
  if (!source->readKeyboard(read)) return;
  for (int i = 0; i < kKeyCount; ++i) keys[i] = read[i] ? 1 : 0;
}

std::uint8_t Keyboard::isKeyDown(int code) const {
  return code >= 0 && code < kKeyCount ? keys[code] : 0;
}

void Keyboard::reset() {
  for (std::uint8_t& key : keys) key = 0;
}
