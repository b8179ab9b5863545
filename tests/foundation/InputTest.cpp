#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "foundation/ChordAction.h"
#include "foundation/InputSource.h"
#include "foundation/KeyAction.h"
#include "foundation/KeyCodes.h"
#include "foundation/Keyboard.h"
#include "foundation/Mouse.h"
#include "foundation/RepeatAction.h"
#include "foundation/Timer.h"

#include "TestSupport.h"

namespace {

class FakeInput : public InputSource {
 public:
  bool readKeyboard(std::uint8_t* out) override {
    if (!keyboardWorks) return false;
    std::memcpy(out, keys, kKeyCount);
    return true;
  }
  bool readMouse(MouseReading& reading) override {
    if (!mouseWorks) return false;
    reading = mouse;
    return true;
  }
  bool readCursor(float& x, float& y) override {
    if (!cursorWorks) return false;
    x = cursorX;
    y = cursorY;
    return true;
  }

  std::uint8_t keys[kKeyCount] = {};
  MouseReading mouse;
  float cursorX = 0.0f, cursorY = 0.0f;
  bool keyboardWorks = true, mouseWorks = true, cursorWorks = true;
};

// Frames at a fixed 100 per second, input from a fake source.
class InputTest : public testsupport::InputFrames {
 protected:
  InputTest() : InputFrames(input) {}
  void press(int key) { input.keys[key] = 1; }
  void release(int key) { input.keys[key] = 0; }

  FakeInput input;
};

struct KeyRow {
  int code;
  std::uint8_t scanCode;
  const char* name;
};

void PrintTo(const KeyRow& c, std::ostream* os) { *os << c.name << " (" << c.code << ")"; }

class KeyTable : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeyTable, EngineCodeNamesItsScanCode) {
  EXPECT_EQ(engineKeyScanCode(GetParam().code), GetParam().scanCode);
  EXPECT_STREQ(engineKeyName(GetParam().code), GetParam().name);
  EXPECT_EQ(findEngineKey(GetParam().name), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, KeyTable,
    ::testing::Values(KeyRow{kKeyA, 0x1E, "A"}, KeyRow{0, 0x1E, "A"}, KeyRow{3, 0x20, "D"},
                      KeyRow{18, 0x1F, "S"}, KeyRow{19, 0x14, "T"}, KeyRow{22, 0x11, "W"},
                      KeyRow{25, 0x2C, "Z"}, KeyRow{26, 0xC8, "UP"}, KeyRow{29, 0xCD, "RIGHT"},
                      KeyRow{37, 0x1C, "RETURN"}, KeyRow{38, 0x39, "SPACE"},
                      KeyRow{39, 0x2A, "LSHIFT"}, KeyRow{kKeyLeftShift, 0x2A, "LSHIFT"},
                      KeyRow{47, 0x01, "ESCAPE"}, KeyRow{kKeyEscape, 0x01, "ESCAPE"},
                      KeyRow{48, 0x3B, "F1"}, KeyRow{57, 0x44, "F10"}, KeyRow{58, 0x57, "F11"},
                      KeyRow{59, 0x58, "F12"}, KeyRow{61, 0x46, "SCROLLLOCK"},
                      KeyRow{63, 0x4F, "NUMPAD1"}, KeyRow{72, 0x52, "NUMPAD0"},
                      KeyRow{74, 0x9C, "NUMPADENTER"}, KeyRow{kKeyNumpadEnter, 0x9C, "NUMPADENTER"},
                      KeyRow{81, 0x34, "PERIOD"}));

TEST(KeyCodes, UnassignedCodesReadScanCodeZero) {
  for (int code : {60, 82, 83, 84, 85, 86, 87, 88, 89, 90}) {
    EXPECT_EQ(engineKeyScanCode(code), 0) << code;
    EXPECT_STREQ(engineKeyName(code), "") << code;
  }
  EXPECT_EQ(engineKeyScanCode(-1), 0);
  EXPECT_EQ(engineKeyScanCode(91), 0);
}

TEST(KeyCodes, AssignedCodesHaveDistinctScanCodesAndNames) {
  std::set<int> scanCodes;
  std::set<std::string> names;
  int assigned = 0;
  for (int code = 0; code < kKeyCount; ++code) {
    ASSERT_NE(kEngineKeys[code].name, nullptr) << code;
    if (kEngineKeys[code].scanCode == 0) continue;
    ++assigned;
    scanCodes.insert(kEngineKeys[code].scanCode);
    names.insert(kEngineKeys[code].name);
  }
  EXPECT_EQ(assigned, 81);  // 91 codes less 60 and 82..90
  EXPECT_EQ(scanCodes.size(), 81u);
  EXPECT_EQ(names.size(), 81u);
}

TEST(KeyCodes, NamesAreFoundInAnyCase) {
  EXPECT_EQ(findEngineKey("escape"), kKeyEscape);
  EXPECT_EQ(findEngineKey("LShift"), kKeyLeftShift);
  EXPECT_EQ(findEngineKey("nope"), -1);
  EXPECT_EQ(findEngineKey(""), -1);
}

TEST_F(InputTest, KeyboardCopiesTheSourceAndKeepsItOnAFailedRead) {
  press(kKeySpace);
  input.keys[kKeyW] = 0x80;  // any non-zero state is "down"
  nextFrame();
  Keyboard& keyboard = Keyboard::instance();
  EXPECT_EQ(keyboard.isKeyDown(kKeySpace), 1);
  EXPECT_EQ(keyboard.isKeyDown(kKeyW), 1);
  EXPECT_EQ(keyboard.isKeyDown(kKeyA), 0);
  release(kKeySpace);
  input.keyboardWorks = false;
  nextFrame();
  EXPECT_EQ(keyboard.isKeyDown(kKeySpace), 1);
  input.keyboardWorks = true;
  nextFrame();
  EXPECT_EQ(keyboard.isKeyDown(kKeySpace), 0);
  EXPECT_EQ(keyboard.isKeyDown(91), 0);
  EXPECT_EQ(keyboard.isKeyDown(-1), 0);
}

TEST_F(InputTest, WithoutASourceEverythingStaysUp) {
  InputSource::install(nullptr);
  press(kKeyA);
  nextFrame();
  for (int code = 0; code < kKeyCount; ++code) EXPECT_EQ(Keyboard::instance().isKeyDown(code), 0);
  EXPECT_EQ(Mouse::instance().button(0), 0);
  EXPECT_EQ(Mouse::instance().cursor().x, 0.0f);
}

TEST_F(InputTest, MouseKeepsEachPartThatFailsToRead) {
  input.mouse.buttons[0] = 1;
  input.mouse.buttons[2] = 1;
  input.mouse.dx = 3.0f;
  input.mouse.dy = -4.0f;
  input.mouse.wheel = 120.0f;
  input.cursorX = 320.0f;
  input.cursorY = 200.0f;
  nextFrame();
  Mouse& mouse = Mouse::instance();
  EXPECT_EQ(mouse.button(0), 1);
  EXPECT_EQ(mouse.button(1), 0);
  EXPECT_EQ(mouse.button(2), 1);
  EXPECT_EQ(mouse.button(3), 0);
  EXPECT_EQ(mouse.movement().x, 3.0f);
  EXPECT_EQ(mouse.movement().y, -4.0f);
  EXPECT_EQ(mouse.wheel(), 120.0f);
  EXPECT_EQ(mouse.cursor().x, 320.0f);
  EXPECT_EQ(mouse.cursor().y, 200.0f);

  input.mouse = MouseReading{};
  input.mouseWorks = false;
  input.cursorX = 10.0f;
  nextFrame();
  EXPECT_EQ(mouse.button(0), 1);
  EXPECT_EQ(mouse.movement().x, 3.0f);
  EXPECT_EQ(mouse.wheel(), 120.0f);
  EXPECT_EQ(mouse.cursor().x, 10.0f);

  input.mouseWorks = true;
  input.cursorWorks = false;
  input.cursorX = 99.0f;
  nextFrame();
  EXPECT_EQ(mouse.button(0), 0);
  EXPECT_EQ(mouse.movement().x, 0.0f);
  EXPECT_EQ(mouse.cursor().x, 10.0f);
}

TEST_F(InputTest, HeldKeyIsPressedOnceAndActiveEveryFrame) {
  KeyAction space(kKeySpace);
  std::vector<int> pressedFrames, activeFrames;
  for (int frame = 1; frame <= 12; ++frame) {
    if (frame == 2) press(kKeySpace);
    if (frame == 7) release(kKeySpace);
    if (frame == 9) press(kKeySpace);
    nextFrame();
    space.update();
    if (space.pressed()) pressedFrames.push_back(frame);
    if (space.isActive()) activeFrames.push_back(frame);
  }
  EXPECT_EQ(pressedFrames, (std::vector<int>{2, 9}));
  EXPECT_EQ(activeFrames, (std::vector<int>{2, 3, 4, 5, 6, 9, 10, 11, 12}));
}

TEST_F(InputTest, SecondUpdateInOneFrameChangesNothing) {
  KeyAction key(kKeyA);
  press(kKeyA);
  nextFrame();
  key.update();
  EXPECT_TRUE(key.pressed());
  key.update();
  EXPECT_TRUE(key.pressed());  // wasActive was not overwritten by the second call
  release(kKeyA);
  Keyboard::instance().poll();
  key.update();
  EXPECT_TRUE(key.isActive());  // not polled again within the frame
  nextFrame();
  key.update();
  EXPECT_FALSE(key.isActive());
}

TEST_F(InputTest, NothingIsEvaluatedBeforeTheFirstTick) {
  KeyAction key(kKeyA);
  press(kKeyA);
  Keyboard::instance().poll();
  key.update();
  EXPECT_FALSE(key.isActive());
  nextFrame();
  key.update();
  EXPECT_TRUE(key.pressed());
}

TEST_F(InputTest, RepeatFiresAtOnceThenAfterTheDelayThenEveryInterval) {
  KeyAction key(kKeyW);
  RepeatAction repeat(&key);
  std::vector<int> pressedFrames, inactiveFrames;
  press(kKeyW);
  // 100 frames per second: frame n is at n·10 ms. The hold starts at frame 1 (10 ms); the delay of
  // 500 ms is over at frame 51, which is inactive, so frame 52 presses again; then every 50 ms.
  for (int frame = 1; frame <= 62; ++frame) {
    nextFrame();
    repeat.update();
    if (repeat.pressed()) pressedFrames.push_back(frame);
    if (!repeat.isActive()) inactiveFrames.push_back(frame);
  }
  EXPECT_EQ(pressedFrames, (std::vector<int>{1, 52, 57, 62}));
  EXPECT_EQ(inactiveFrames, (std::vector<int>{51, 56, 61}));
}

TEST_F(InputTest, RepeatHeldForHalfASecondFiresTwice) {
  KeyAction key(kKeyS);
  RepeatAction repeat(&key);
  int presses = 0;
  press(kKeyS);
  for (int frame = 1; frame <= 55; ++frame) {
    nextFrame();
    repeat.update();
    presses += repeat.pressed() ? 1 : 0;
  }
  EXPECT_EQ(presses, 2);
}

TEST_F(InputTest, RepeatStartsOverAfterARelease) {
  KeyAction key(kKeyW);
  RepeatAction repeat(&key);
  std::vector<int> pressedFrames;
  for (int frame = 1; frame <= 130; ++frame) {
    if (frame == 1) press(kKeyW);
    if (frame == 30) release(kKeyW);
    if (frame == 71) press(kKeyW);
    nextFrame();
    repeat.update();
    if (repeat.pressed()) pressedFrames.push_back(frame);
  }
  // Second hold from frame 71 (710 ms): inactive at 1210 ms (frame 121), again at frame 122.
  EXPECT_EQ(pressedFrames, (std::vector<int>{1, 71, 122, 127}));
}

struct ChordFrames {
  std::vector<int> escapePressed;
  std::vector<int> chordPressed;
};

// The application's order: update the first action, then the chord, then ask both.
ChordFrames runChord(int escapeDown, int shiftDown, int shiftUp, int frames,
                     const std::function<void()>& nextFrame, FakeInput& input) {
  KeyAction escape(kKeyEscape);
  KeyAction shift(kKeyLeftShift);
  ChordAction chord(&escape, &shift);
  ChordFrames result;
  for (int frame = 1; frame <= frames; ++frame) {
    if (frame == escapeDown) input.keys[kKeyEscape] = 1;
    if (frame == shiftDown) input.keys[kKeyLeftShift] = 1;
    if (frame == shiftUp) input.keys[kKeyLeftShift] = 0;
    nextFrame();
    escape.update();
    chord.update();
    if (escape.pressed()) result.escapePressed.push_back(frame);
    if (chord.pressed()) result.chordPressed.push_back(frame);
  }
  return result;
}

TEST_F(InputTest, ChordWithdrawsTheFirstKeysPressWhileBothAreHeld) {
  const auto frame = [this] { nextFrame(); };
  // Escape first, Shift later: Escape fires alone, then only the chord while both are down.
  ChordFrames a = runChord(1, 3, 0, 8, frame, input);
  EXPECT_EQ(a.escapePressed, (std::vector<int>{1}));
  EXPECT_EQ(a.chordPressed, (std::vector<int>{3}));
}

TEST_F(InputTest, ChordOfShiftThenEscapeNeverFiresEscape) {
  const auto frame = [this] { nextFrame(); };
  ChordFrames b = runChord(3, 1, 0, 8, frame, input);
  EXPECT_TRUE(b.escapePressed.empty());
  EXPECT_EQ(b.chordPressed, (std::vector<int>{3}));
}

TEST_F(InputTest, ReleasingTheSecondKeyGivesTheFirstKeyBack) {
  const auto frame = [this] { nextFrame(); };
  // With Escape still held, the frame after Shift goes up sees a fresh Escape press.
  ChordFrames c = runChord(1, 3, 6, 9, frame, input);
  EXPECT_EQ(c.escapePressed, (std::vector<int>{1, 6}));
  EXPECT_EQ(c.chordPressed, (std::vector<int>{3}));
}

}  // namespace
