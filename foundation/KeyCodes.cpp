#include "foundation/KeyCodes.h"

#include "foundation/StringUtils.h"

const EngineKey kEngineKeys[kKeyCount] = {
    {"A", 0x1E},         {"B", 0x30},          {"C", 0x2E},          {"D", 0x20},
    {"E", 0x12},         {"F", 0x21},          {"G", 0x22},          {"H", 0x23},
    {"I", 0x17},         {"J", 0x24},          {"K", 0x25},          {"L", 0x26},
    {"M", 0x32},         {"N", 0x31},          {"O", 0x18},          {"P", 0x19},
    {"Q", 0x10},         {"R", 0x13},          {"S", 0x1F},          {"T", 0x14},
    {"U", 0x16},         {"V", 0x2F},          {"W", 0x11},          {"X", 0x2D},
    {"Y", 0x15},         {"Z", 0x2C},          {"UP", 0xC8},         {"DOWN", 0xD0},
    {"LEFT", 0xCB},      {"RIGHT", 0xCD},      {"PAGEUP", 0xC9},     {"PAGEDOWN", 0xD1},
    {"HOME", 0xC7},      {"END", 0xCF},        {"INSERT", 0xD2},     {"DELETE", 0xD3},
    {"BACKSPACE", 0x0E}, {"RETURN", 0x1C},     {"SPACE", 0x39},      {"LSHIFT", 0x2A},
    {"RSHIFT", 0x36},    {"LCONTROL", 0x1D},   {"RCONTROL", 0x9D},   {"LALT", 0x38},
    {"RALT", 0xB8},      {"CAPSLOCK", 0x3A},   {"TAB", 0x0F},        {"ESCAPE", 0x01},
    {"F1", 0x3B},        {"F2", 0x3C},         {"F3", 0x3D},         {"F4", 0x3E},
    {"F5", 0x3F},        {"F6", 0x40},         {"F7", 0x41},         {"F8", 0x42},
    {"F9", 0x43},        {"F10", 0x44},        {"F11", 0x57},        {"F12", 0x58},
    {"", 0x00},          {"SCROLLLOCK", 0x46}, {"PAUSE", 0xC5},      {"NUMPAD1", 0x4F},
    {"NUMPAD2", 0x50},   {"NUMPAD3", 0x51},    {"NUMPAD4", 0x4B},    {"NUMPAD5", 0x4C},
    {"NUMPAD6", 0x4D},   {"NUMPAD7", 0x47},    {"NUMPAD8", 0x48},    {"NUMPAD9", 0x49},
    {"NUMPAD0", 0x52},   {"NUMPADPLUS", 0x4E}, {"NUMPADENTER", 0x9C}, {"NUMPADMINUS", 0x4A},
    {"NUMPADDIVIDE", 0xB5}, {"NUMPADMULTIPLY", 0x37}, {"NUMLOCK", 0x45}, {"NUMPADDECIMAL", 0x53},
    {"COMMA", 0x33},     {"PERIOD", 0x34},     {"", 0x00},           {"", 0x00},
    {"", 0x00},          {"", 0x00},           {"", 0x00},           {"", 0x00},
    {"", 0x00},          {"", 0x00},           {"", 0x00},
};

std::uint8_t engineKeyScanCode(int code) {
  return code >= 0 && code < kKeyCount ? kEngineKeys[code].scanCode : 0;
}

const char* engineKeyName(int code) { return code >= 0 && code < kKeyCount ? kEngineKeys[code].name : ""; }

int findEngineKey(const std::string& name) {
  if (name.empty()) return -1;
  const std::string lower = toLower(name);
  for (int code = 0; code < kKeyCount; ++code) {
    if (toLower(kEngineKeys[code].name) == lower) return code;
  }
  return -1;
}
