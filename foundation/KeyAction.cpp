#include "foundation/KeyAction.h"

#include "foundation/Keyboard.h"

void KeyAction::poll() { active = Keyboard::instance().isKeyDown(keyCode); }
