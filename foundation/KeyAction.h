#pragma once
#include "foundation/InputAction.h"

// Held while the key (an engine key code) is down on the Keyboard.
class KeyAction : public InputAction {
 public:
  explicit KeyAction(int keyCode) : keyCode(keyCode) {}
  int key() const { return keyCode; }

 protected:
  void poll() override;

 private:
  int keyCode;
};
