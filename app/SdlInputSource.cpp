#include "app/SdlInputSource.h"

namespace {

// Engine key code -> SDL scan code, in the engine's key order.
constexpr SDL_Scancode kScancodes[kKeyCount] = {
    SDL_SCANCODE_A, SDL_SCANCODE_B, SDL_SCANCODE_C, SDL_SCANCODE_D, SDL_SCANCODE_E, SDL_SCANCODE_F,
    SDL_SCANCODE_G, SDL_SCANCODE_H, SDL_SCANCODE_I, SDL_SCANCODE_J, SDL_SCANCODE_K, SDL_SCANCODE_L,
    SDL_SCANCODE_M, SDL_SCANCODE_N, SDL_SCANCODE_O, SDL_SCANCODE_P, SDL_SCANCODE_Q, SDL_SCANCODE_R,
    SDL_SCANCODE_S, SDL_SCANCODE_T, SDL_SCANCODE_U, SDL_SCANCODE_V, SDL_SCANCODE_W, SDL_SCANCODE_X,
    SDL_SCANCODE_Y, SDL_SCANCODE_Z,
    // 26..38
    SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_PAGEUP,
    SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_HOME, SDL_SCANCODE_END, SDL_SCANCODE_INSERT,
    SDL_SCANCODE_DELETE, SDL_SCANCODE_BACKSPACE, SDL_SCANCODE_RETURN, SDL_SCANCODE_SPACE,
    // 39..47
    SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL,
    SDL_SCANCODE_LALT, SDL_SCANCODE_RALT, SDL_SCANCODE_CAPSLOCK, SDL_SCANCODE_TAB,
    SDL_SCANCODE_ESCAPE,
    // 48..59
    SDL_SCANCODE_F1, SDL_SCANCODE_F2, SDL_SCANCODE_F3, SDL_SCANCODE_F4, SDL_SCANCODE_F5,
    SDL_SCANCODE_F6, SDL_SCANCODE_F7, SDL_SCANCODE_F8, SDL_SCANCODE_F9, SDL_SCANCODE_F10,
    SDL_SCANCODE_F11, SDL_SCANCODE_F12,
    // 60..62
    SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_SCROLLLOCK, SDL_SCANCODE_PAUSE,
    // 63..72: numeric pad 1..9, then 0
    SDL_SCANCODE_KP_1, SDL_SCANCODE_KP_2, SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_5,
    SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_7, SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9, SDL_SCANCODE_KP_0,
    // 73..81
    SDL_SCANCODE_KP_PLUS, SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_KP_MINUS, SDL_SCANCODE_KP_DIVIDE,
    SDL_SCANCODE_KP_MULTIPLY, SDL_SCANCODE_NUMLOCKCLEAR, SDL_SCANCODE_KP_PERIOD, SDL_SCANCODE_COMMA,
    SDL_SCANCODE_PERIOD,
    // 82..90
    SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN,
    SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN,
    SDL_SCANCODE_UNKNOWN,
};

// The wheel's device units per notch, as the scenes' zoom steps expect.
constexpr float kWheelUnitsPerNotch = 120.0f;

int buttonSlot(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
  }
}

}  // namespace

SDL_Scancode SdlInputSource::scancodeFor(int engineCode) {
  if (engineCode < 0 || engineCode >= kKeyCount) return SDL_SCANCODE_UNKNOWN;
  return kScancodes[engineCode];
}

void SdlInputSource::handleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int code = event.key.keysym.scancode;
      if (code > SDL_SCANCODE_UNKNOWN && code < SDL_NUM_SCANCODES) {
        scancodeDown[code] = event.type == SDL_KEYDOWN ? 1 : 0;
      }
      break;
    }
    case SDL_MOUSEMOTION:
      motionX += static_cast<float>(event.motion.xrel);
      motionY += static_cast<float>(event.motion.yrel);
      pointerX = event.motion.x;
      pointerY = event.motion.y;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int slot = buttonSlot(event.button.button);
      if (slot >= 0) buttonDown[slot] = event.type == SDL_MOUSEBUTTONDOWN ? 1 : 0;
      pointerX = event.button.x;
      pointerY = event.button.y;
      break;
    }
    case SDL_MOUSEWHEEL: {
      float notches = static_cast<float>(event.wheel.y);
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      wheelSum += notches * kWheelUnitsPerNotch;
      break;
    }
    case SDL_DROPFILE:
      if (event.drop.file) {
        if (droppedFiles.size() == kMaxDroppedFiles) droppedFiles.pop_front();
        droppedFiles.emplace_back(event.drop.file);
      }
      SDL_free(event.drop.file);
      break;
    case SDL_DROPTEXT:
      SDL_free(event.drop.file);
      break;
    case SDL_WINDOWEVENT:
      // A window that loses the keyboard gets no key-up events for keys still held.
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) scancodeDown.fill(0);
      break;
    default:
      break;
  }
}

void SdlInputSource::setClientOrigin(int x, int y) {
  originX = x;
  originY = y;
}

bool SdlInputSource::readKeyboard(std::uint8_t* keys) {
  for (int i = 0; i < kKeyCount; ++i) {
    const SDL_Scancode code = kScancodes[i];
    keys[i] = code == SDL_SCANCODE_UNKNOWN ? 0 : scancodeDown[code];
  }
  return true;
}

bool SdlInputSource::readMouse(MouseReading& reading) {
  for (int k = 0; k < 3; ++k) reading.buttons[k] = buttonDown[k];
  reading.dx = motionX;
  reading.dy = motionY;
  reading.wheel = wheelSum;
  motionX = motionY = wheelSum = 0.0f;
  return true;
}

bool SdlInputSource::takeDroppedFile(std::string& path) {
  if (droppedFiles.empty()) return false;
  path = std::move(droppedFiles.front());
  droppedFiles.pop_front();
  return true;
}

bool SdlInputSource::readCursor(float& x, float& y) {
  x = static_cast<float>(originX + pointerX);
  y = static_cast<float>(originY + pointerY);
  return true;
}
