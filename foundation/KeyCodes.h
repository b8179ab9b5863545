#pragma once
#include <cstdint>
#include <string>

// Engine key codes: indices 0..90 of the keyboard state. Each stands for one key scan code of the
// original input layer (set-1 scan codes, extended keys with bit 7 set); unassigned codes map to
// scan code 0, which no key produces.
inline constexpr int kKeyCount = 91;

inline constexpr int kKeyA = 0, kKeyB = 1, kKeyC = 2, kKeyD = 3, kKeyE = 4, kKeyF = 5, kKeyG = 6,
                     kKeyH = 7, kKeyI = 8, kKeyJ = 9, kKeyK = 10, kKeyL = 11, kKeyM = 12,
                     kKeyN = 13, kKeyO = 14, kKeyP = 15, kKeyQ = 16, kKeyR = 17, kKeyS = 18,
                     kKeyT = 19, kKeyU = 20, kKeyV = 21, kKeyW = 22, kKeyX = 23, kKeyY = 24,
                     kKeyZ = 25;
inline constexpr int kKeyUp = 26, kKeyDown = 27, kKeyLeft = 28, kKeyRight = 29;
inline constexpr int kKeyPageUp = 30, kKeyPageDown = 31, kKeyHome = 32, kKeyEnd = 33,
                     kKeyInsert = 34, kKeyDelete = 35;
inline constexpr int kKeyBackspace = 36, kKeyReturn = 37, kKeySpace = 38;
inline constexpr int kKeyLeftShift = 39, kKeyRightShift = 40, kKeyLeftControl = 41,
                     kKeyRightControl = 42, kKeyLeftAlt = 43, kKeyRightAlt = 44;
inline constexpr int kKeyCapsLock = 45, kKeyTab = 46, kKeyEscape = 47;
inline constexpr int kKeyF1 = 48, kKeyF2 = 49, kKeyF3 = 50, kKeyF4 = 51, kKeyF5 = 52, kKeyF6 = 53,
                     kKeyF7 = 54, kKeyF8 = 55, kKeyF9 = 56, kKeyF10 = 57, kKeyF11 = 58,
                     kKeyF12 = 59;
inline constexpr int kKeyScrollLock = 61, kKeyPause = 62;
inline constexpr int kKeyNumpad1 = 63, kKeyNumpad2 = 64, kKeyNumpad3 = 65, kKeyNumpad4 = 66,
                     kKeyNumpad5 = 67, kKeyNumpad6 = 68, kKeyNumpad7 = 69, kKeyNumpad8 = 70,
                     kKeyNumpad9 = 71, kKeyNumpad0 = 72;
inline constexpr int kKeyNumpadPlus = 73, kKeyNumpadEnter = 74, kKeyNumpadMinus = 75,
                     kKeyNumpadDivide = 76, kKeyNumpadMultiply = 77, kKeyNumLock = 78,
                     kKeyNumpadDecimal = 79;
inline constexpr int kKeyComma = 80, kKeyPeriod = 81;

// One row of the key table; the engine code is the row's index.
struct EngineKey {
  const char* name;  // upper-case name used by input scripts ("ESCAPE", "LSHIFT"), "" if unassigned
  std::uint8_t scanCode;
};

// The whole table, kKeyCount rows.
extern const EngineKey kEngineKeys[kKeyCount];

// Scan code of an engine code; 0 for unassigned or out-of-range codes.
std::uint8_t engineKeyScanCode(int code);
// Name of an engine code; "" for unassigned or out-of-range codes.
const char* engineKeyName(int code);
// Engine code of a key name (any case), or -1 when there is no such key.
int findEngineKey(const std::string& name);
