#pragma once
#include <cstdint>

#include "foundation/KeyCodes.h"

// Key states of the last poll, indexed by engine key code. Read from the installed InputSource.
class Keyboard {
 public:
  // The first call creates the keyboard, which polls once.
  static Keyboard& instance();

  // Reads the installed source; on a failed read (or with none installed) the states stay.
  void poll();
  // 1 while the key was down at the last poll; 0 for codes outside 0..90.
  std::uint8_t isKeyDown(int code) const;

  // Every key up (tests use this between cases).
  void reset();

 private:
  Keyboard();

  std::uint8_t keys[kKeyCount] = {};
};
