#pragma once
#include <cstdint>
#include <string>

#include "foundation/KeyCodes.h"

// What a pointing device reported in one poll.
struct MouseReading {
  std::uint8_t buttons[3] = {0, 0, 0};  // left, right, middle: 1 while held
  float dx = 0.0f;                      // relative motion since the previous poll (device units)
  float dy = 0.0f;
  float wheel = 0.0f;                   // wheel motion since the previous poll (device units)
};

// Where the Keyboard and Mouse singletons read their state. The windowing layer (or a script)
// implements it and installs one source; the singletons poll it once per frame, the mouse first.
// Each read returns false when it fails, and the singleton then keeps its previous state.
class InputSource {
 public:
  virtual ~InputSource() = default;

  // Fills keys[kKeyCount], indexed by engine key code: 1 while the key is down, 0 otherwise.
  virtual bool readKeyboard(std::uint8_t* keys) = 0;
  // Buttons, relative motion and wheel since the previous call.
  virtual bool readMouse(MouseReading& reading) = 0;
  // The cursor position in screen coordinates.
  virtual bool readCursor(float& x, float& y) = 0;
  // A file the user dropped on the window, oldest first, each one once; false when none is left.
  // Sources without a window have none.
  virtual bool takeDroppedFile(std::string& path) {
    (void)path;
    return false;
  }

  // Installs the source that Keyboard and Mouse poll (not owned; nullptr = none, the states then
  // stay as they are). The keyboard also polls once when it is first used.
  static void install(InputSource* source);
  static InputSource* installed();
};
