#include "app/SdlInputSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/KeyCodes.h"

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Scancode code) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.scancode = code;
  return event;
}

SDL_Event motionEvent(int x, int y, int dx, int dy) {
  SDL_Event event{};
  event.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  event.motion.xrel = dx;
  event.motion.yrel = dy;
  return event;
}

SDL_Event buttonEvent(Uint32 type, Uint8 button, int x, int y) {
  SDL_Event event{};
  event.type = type;
  event.button.button = button;
  event.button.x = x;
  event.button.y = y;
  return event;
}

SDL_Event wheelEvent(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = y;
  event.wheel.direction = direction;
  return event;
}

TEST(SdlInputSourceTest, EngineKeysMapToTheirScancodes) {
  struct Case {
    int engineCode;
    SDL_Scancode scancode;
  };
  const Case cases[] = {
      {0, SDL_SCANCODE_A},          {25, SDL_SCANCODE_Z},         {26, SDL_SCANCODE_UP},
      {29, SDL_SCANCODE_RIGHT},     {36, SDL_SCANCODE_BACKSPACE}, {37, SDL_SCANCODE_RETURN},
      {38, SDL_SCANCODE_SPACE},     {39, SDL_SCANCODE_LSHIFT},    {42, SDL_SCANCODE_RCTRL},
      {44, SDL_SCANCODE_RALT},      {46, SDL_SCANCODE_TAB},       {47, SDL_SCANCODE_ESCAPE},
      {48, SDL_SCANCODE_F1},        {59, SDL_SCANCODE_F12},       {61, SDL_SCANCODE_SCROLLLOCK},
      {62, SDL_SCANCODE_PAUSE},     {63, SDL_SCANCODE_KP_1},      {71, SDL_SCANCODE_KP_9},
      {72, SDL_SCANCODE_KP_0},      {73, SDL_SCANCODE_KP_PLUS},   {74, SDL_SCANCODE_KP_ENTER},
      {75, SDL_SCANCODE_KP_MINUS},  {76, SDL_SCANCODE_KP_DIVIDE}, {77, SDL_SCANCODE_KP_MULTIPLY},
      {78, SDL_SCANCODE_NUMLOCKCLEAR}, {79, SDL_SCANCODE_KP_PERIOD}, {80, SDL_SCANCODE_COMMA},
      {81, SDL_SCANCODE_PERIOD},
      // Unassigned codes and codes outside the table.
      {60, SDL_SCANCODE_UNKNOWN},   {82, SDL_SCANCODE_UNKNOWN},   {90, SDL_SCANCODE_UNKNOWN},
      {91, SDL_SCANCODE_UNKNOWN},   {-1, SDL_SCANCODE_UNKNOWN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SdlInputSource::scancodeFor(c.engineCode), c.scancode) << c.engineCode;
  }
  EXPECT_EQ(SdlInputSource::scancodeFor(kKeyEscape), SDL_SCANCODE_ESCAPE);
  EXPECT_EQ(SdlInputSource::scancodeFor(kKeyLeftShift), SDL_SCANCODE_LSHIFT);
}

TEST(SdlInputSourceTest, EveryAssignedKeyHasItsOwnScancode) {
  bool seen[SDL_NUM_SCANCODES] = {};
  int assigned = 0;
  for (int code = 0; code < kKeyCount; ++code) {
    const SDL_Scancode s = SdlInputSource::scancodeFor(code);
    if (s == SDL_SCANCODE_UNKNOWN) continue;
    EXPECT_FALSE(seen[s]) << "engine code " << code << " reuses scancode " << s;
    seen[s] = true;
    ++assigned;
  }
  EXPECT_EQ(assigned, kKeyCount - 10);  // 60 and 82..90 are unassigned
}

TEST(SdlInputSourceTest, KeysFollowDownAndUpEvents) {
  SdlInputSource source;
  std::uint8_t keys[kKeyCount];
  source.handleEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE));
  source.handleEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT));
  ASSERT_TRUE(source.readKeyboard(keys));
  EXPECT_EQ(keys[kKeyEscape], 1);
  EXPECT_EQ(keys[kKeyLeftShift], 1);
  EXPECT_EQ(keys[kKeyRightShift], 0);
  // Held keys stay down across reads.
  ASSERT_TRUE(source.readKeyboard(keys));
  EXPECT_EQ(keys[kKeyEscape], 1);
  source.handleEvent(keyEvent(SDL_KEYUP, SDL_SCANCODE_ESCAPE));
  ASSERT_TRUE(source.readKeyboard(keys));
  EXPECT_EQ(keys[kKeyEscape], 0);
  EXPECT_EQ(keys[kKeyLeftShift], 1);
  int down = 0;
  for (int i = 0; i < kKeyCount; ++i) down += keys[i];
  EXPECT_EQ(down, 1);
}

TEST(SdlInputSourceTest, UnmappedAndUnknownScancodesPressNoEngineKey) {
  SdlInputSource source;
  source.handleEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN));
  source.handleEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F13));  // not in the engine table
  std::uint8_t keys[kKeyCount];
  ASSERT_TRUE(source.readKeyboard(keys));
  for (int i = 0; i < kKeyCount; ++i) EXPECT_EQ(keys[i], 0) << i;
}

TEST(SdlInputSourceTest, LosingFocusReleasesHeldKeys) {
  SdlInputSource source;
  source.handleEvent(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_A));
  SDL_Event focus{};
  focus.type = SDL_WINDOWEVENT;
  focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  source.handleEvent(focus);
  std::uint8_t keys[kKeyCount];
  ASSERT_TRUE(source.readKeyboard(keys));
  EXPECT_EQ(keys[kKeyA], 0);
}

TEST(SdlInputSourceTest, MotionAndWheelAreSummedUntilTheNextRead) {
  SdlInputSource source;
  source.handleEvent(motionEvent(10, 20, 3, -2));
  source.handleEvent(motionEvent(15, 18, 5, -2));
  source.handleEvent(wheelEvent(1));
  source.handleEvent(wheelEvent(2));
  source.handleEvent(wheelEvent(1, SDL_MOUSEWHEEL_FLIPPED));  // reported up, means down
  MouseReading reading;
  ASSERT_TRUE(source.readMouse(reading));
  EXPECT_FLOAT_EQ(reading.dx, 8.0f);
  EXPECT_FLOAT_EQ(reading.dy, -4.0f);
  EXPECT_FLOAT_EQ(reading.wheel, 240.0f);  // (1 + 2 - 1) notches of 120 units
  // Nothing moved since: the next read reports zero.
  MouseReading again;
  ASSERT_TRUE(source.readMouse(again));
  EXPECT_FLOAT_EQ(again.dx, 0.0f);
  EXPECT_FLOAT_EQ(again.dy, 0.0f);
  EXPECT_FLOAT_EQ(again.wheel, 0.0f);
}

TEST(SdlInputSourceTest, ButtonsInLeftRightMiddleOrder) {
  SdlInputSource source;
  MouseReading reading;
  source.handleEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1));
  source.handleEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1));  // ignored
  ASSERT_TRUE(source.readMouse(reading));
  EXPECT_EQ(reading.buttons[0], 0);
  EXPECT_EQ(reading.buttons[1], 1);
  EXPECT_EQ(reading.buttons[2], 0);
  source.handleEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1));
  source.handleEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1));
  source.handleEvent(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 1));
  ASSERT_TRUE(source.readMouse(reading));
  EXPECT_EQ(reading.buttons[0], 1);
  EXPECT_EQ(reading.buttons[1], 0);
  EXPECT_EQ(reading.buttons[2], 1);
}

TEST(SdlInputSourceTest, CursorIsClientPositionPlusWindowOrigin) {
  SdlInputSource source;
  source.setClientOrigin(40, 60);
  source.handleEvent(motionEvent(100, 50, 1, 1));
  float x = 0, y = 0;
  ASSERT_TRUE(source.readCursor(x, y));
  EXPECT_FLOAT_EQ(x, 140.0f);
  EXPECT_FLOAT_EQ(y, 110.0f);
  // The window moved; the pointer stays where it was inside it.
  source.setClientOrigin(200, 300);
  ASSERT_TRUE(source.readCursor(x, y));
  EXPECT_FLOAT_EQ(x, 300.0f);
  EXPECT_FLOAT_EQ(y, 350.0f);
  // A click also tells where the pointer is.
  source.handleEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 7, 9));
  ASSERT_TRUE(source.readCursor(x, y));
  EXPECT_FLOAT_EQ(x, 207.0f);
  EXPECT_FLOAT_EQ(y, 309.0f);
}

SDL_Event dropEvent(Uint32 type, const char* text) {
  SDL_Event event{};
  event.type = type;
  event.drop.file = text ? SDL_strdup(text) : nullptr;  // SDL hands over text the receiver frees
  return event;
}

TEST(SdlInputSourceTest, DroppedFilesAreTakenOnceOldestFirst) {
  SdlInputSource source;
  std::string path;
  EXPECT_FALSE(source.takeDroppedFile(path));
  source.handleEvent(dropEvent(SDL_DROPFILE, "/home/me/boat.lws"));
  source.handleEvent(dropEvent(SDL_DROPTEXT, "some text"));  // not a file
  source.handleEvent(dropEvent(SDL_DROPFILE, nullptr));
  source.handleEvent(dropEvent(SDL_DROPFILE, "/home/me/other scene.lws"));
  ASSERT_TRUE(source.takeDroppedFile(path));
  EXPECT_EQ(path, "/home/me/boat.lws");
  ASSERT_TRUE(source.takeDroppedFile(path));
  EXPECT_EQ(path, "/home/me/other scene.lws");
  EXPECT_FALSE(source.takeDroppedFile(path));
  // Many drops that nobody takes keep only the newest few.
  for (int i = 0; i < 20; ++i) source.handleEvent(dropEvent(SDL_DROPFILE, std::to_string(i).c_str()));
  std::vector<std::string> kept;
  while (source.takeDroppedFile(path)) kept.push_back(path);
  ASSERT_EQ(kept.size(), SdlInputSource::kMaxDroppedFiles);
  EXPECT_EQ(kept.back(), "19");
  EXPECT_EQ(kept.front(), std::to_string(20 - SdlInputSource::kMaxDroppedFiles));
}

}  // namespace
