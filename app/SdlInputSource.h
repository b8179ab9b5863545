#pragma once
#include <SDL.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "foundation/InputSource.h"

// Keyboard and mouse of the SDL window, read from its events. Key and button states follow the
// down and up events; relative motion and wheel are summed from the events since the last poll
// and start again from zero after it; the cursor is the window's client position plus the last
// pointer position inside it, in screen coordinates.
class SdlInputSource : public InputSource {
 public:
  SdlInputSource() = default;

  // The window calls this for every event it takes from the queue. Dropped files are kept until
  // taken (the newest few); the event's text is freed here.
  void handleEvent(const SDL_Event& event);
  // Screen position of the window's client area (the window tells it when it moves).
  void setClientOrigin(int x, int y);

  // The SDL scan code that stands for an engine key code; SDL_SCANCODE_UNKNOWN for the unassigned
  // codes and for codes outside 0..90.
  static SDL_Scancode scancodeFor(int engineCode);

  // Engine key states, 1 while down.
  bool readKeyboard(std::uint8_t* keys) override;
  // Buttons left, right, middle; motion and wheel since the last call (then reset).
  bool readMouse(MouseReading& reading) override;
  bool readCursor(float& x, float& y) override;
  bool takeDroppedFile(std::string& path) override;

  // Drops kept at most; an older one is forgotten when a newer one arrives beyond this.
  static constexpr std::size_t kMaxDroppedFiles = 8;

 private:
  std::array<std::uint8_t, SDL_NUM_SCANCODES> scancodeDown{};
  std::uint8_t buttonDown[3] = {0, 0, 0};
  float motionX = 0.0f;
  float motionY = 0.0f;
  float wheelSum = 0.0f;
  int pointerX = 0;
  int pointerY = 0;
  int originX = 0;
  int originY = 0;
  std::deque<std::string> droppedFiles;
};
