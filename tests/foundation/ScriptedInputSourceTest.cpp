#include "foundation/ScriptedInputSource.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "foundation/Keyboard.h"
#include "foundation/Mouse.h"
#include "foundation/Timer.h"

namespace {

class ScriptedInput : public testsupport::InputFrames {
 protected:
  ScriptedInput() : InputFrames(script) {}

  ScriptedInputSource script;
};

TEST_F(ScriptedInput, EventsTakeEffectAtTheirFrame) {
  ASSERT_TRUE(script.loadText(
      "# a short tour\n"
      "1 key down ESCAPE\n"
      "3 key up 47\n"
      "2 key down lshift   # names in any case\n"
      "\n"
      "4 mouse button 0 down\n"
      "6 mouse button 0 up\n"
      "5 mouse cursor 320 240\n"));
  EXPECT_EQ(script.eventCount(), 6u);
  EXPECT_EQ(script.lastEventFrame(), 6u);
  Keyboard& keyboard = Keyboard::instance();
  Mouse& mouse = Mouse::instance();

  nextFrame();  // frame 1
  EXPECT_EQ(keyboard.isKeyDown(kKeyEscape), 1);
  EXPECT_EQ(keyboard.isKeyDown(kKeyLeftShift), 0);
  nextFrame();  // 2
  EXPECT_EQ(keyboard.isKeyDown(kKeyLeftShift), 1);
  nextFrame();  // 3
  EXPECT_EQ(keyboard.isKeyDown(kKeyEscape), 0);
  EXPECT_EQ(keyboard.isKeyDown(kKeyLeftShift), 1);
  nextFrame();  // 4
  EXPECT_EQ(mouse.button(0), 1);
  EXPECT_EQ(mouse.cursor().x, 0.0f);
  nextFrame();  // 5
  EXPECT_EQ(mouse.cursor().x, 320.0f);
  EXPECT_EQ(mouse.cursor().y, 240.0f);
  EXPECT_FALSE(script.finished());
  nextFrame();  // 6
  EXPECT_EQ(mouse.button(0), 0);
  EXPECT_TRUE(script.finished());
}

TEST_F(ScriptedInput, MotionAndWheelAreSummedPerPollThenReset) {
  ASSERT_TRUE(script.loadText("2 mouse move 3 4\n"
                              "2 mouse move 1 -1\n"
                              "2 mouse wheel 120\n"
                              "3 mouse move 0.5 0\n"
                              "4 mouse move 2 2\n"
                              "5 mouse move 1 1\n"
                              "5 mouse wheel -120\n"));
  Mouse& mouse = Mouse::instance();
  nextFrame();  // 1
  EXPECT_EQ(mouse.movement().x, 0.0f);
  nextFrame();  // 2
  EXPECT_EQ(mouse.movement().x, 4.0f);
  EXPECT_EQ(mouse.movement().y, 3.0f);
  EXPECT_EQ(mouse.wheel(), 120.0f);
  nextFrame();  // 3
  EXPECT_EQ(mouse.movement().x, 0.5f);
  EXPECT_EQ(mouse.movement().y, 0.0f);
  EXPECT_EQ(mouse.wheel(), 0.0f);
  // Frame 4 passes without a mouse poll: its motion joins frame 5's.
  Timer::instance().tick();
  Timer::instance().tick();
  Mouse::instance().poll();
  EXPECT_EQ(mouse.movement().x, 3.0f);
  EXPECT_EQ(mouse.movement().y, 3.0f);
  EXPECT_EQ(mouse.wheel(), -120.0f);
}

TEST_F(ScriptedInput, EventsOfSkippedFramesStillApply) {
  ASSERT_TRUE(script.loadText("2 key down A\n3 key down B\n4 key up A\n"));
  for (int i = 0; i < 5; ++i) Timer::instance().tick();
  Keyboard::instance().poll();
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyA), 0);
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyB), 1);
}

TEST_F(ScriptedInput, MalformedLinesAreSkipped) {
  EXPECT_FALSE(script.loadText("x key down A\n"
                               "1 key press A\n"
                               "1 key down NOPE\n"
                               "1 key down 91\n"
                               "-1 key down A\n"
                               "1 key down A extra\n"
                               "1 mouse button 3 down\n"
                               "1 mouse button 1 held\n"
                               "1 mouse move 1\n"
                               "1 mouse wheel abc\n"
                               "1 mouse jump 1 2\n"
                               "1 joystick move 1 2\n"
                               "1\n"
                               "2 key down SPACE\n"
                               "3 mouse move 1e2 -2.5\n"));
  EXPECT_EQ(script.eventCount(), 2u);
  nextFrame();
  nextFrame();
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeySpace), 1);
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyA), 0);
  nextFrame();
  EXPECT_EQ(Mouse::instance().movement().x, 100.0f);
  EXPECT_EQ(Mouse::instance().movement().y, -2.5f);
}

TEST_F(ScriptedInput, NumbersThatWouldBreakTheCameraAreRefusedWithTheirReason) {
  struct Case {
    const char* line;
    const char* reason;  // empty: accepted
  };
  const Case cases[] = {
      {"1 mouse move 1e39 0", "number out of range (at most 100000 in size)"},  // beyond a float
      {"1 mouse move 0 100001", "number out of range (at most 100000 in size)"},
      {"1 mouse wheel -1e6", "number out of range (at most 100000 in size)"},
      {"1 mouse cursor 5 1e308", "number out of range (at most 100000 in size)"},
      {"1 mouse move 1e999 0", "not a finite number"},
      {"1 mouse move inf 0", "not a finite number"},
      {"1 mouse wheel nan", "not a finite number"},
      {"99999999999 key down A", "frame number out of range (at most 4294967295)"},
      {"1 mouse wheel abc", ""},  // plainly not understood: no reason beyond that
      {"1 mouse move -100000 100000", nullptr},
      {"4294967295 mouse wheel 120", nullptr},
  };
  for (const Case& c : cases) {
    std::vector<ScriptedInputSource::Problem> problems;
    const bool accepted = script.parseText(std::string("# header\n") + c.line + "\n", problems);
    if (c.reason == nullptr) {
      EXPECT_TRUE(accepted) << c.line;
      EXPECT_TRUE(problems.empty()) << c.line;
      EXPECT_EQ(script.eventCount(), 1u) << c.line;
      continue;
    }
    EXPECT_FALSE(accepted) << c.line;
    ASSERT_EQ(problems.size(), 1u) << c.line;
    EXPECT_EQ(problems[0].line, 2) << c.line;
    EXPECT_EQ(problems[0].text, c.line);
    EXPECT_EQ(problems[0].reason, c.reason) << c.line;
    EXPECT_EQ(script.eventCount(), 0u) << c.line;
  }
}

TEST_F(ScriptedInput, LoadingReplacesTheScriptAndItsState) {
  ASSERT_TRUE(script.loadText("1 key down A\n"));
  nextFrame();
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyA), 1);
  ASSERT_TRUE(script.loadText("2 key down B\n"));
  EXPECT_EQ(script.eventCount(), 1u);
  nextFrame();
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyA), 0);
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyB), 1);
}

TEST_F(ScriptedInput, LoadFileResolvesItsNameAndReportsAMissingFile) {
  testsupport::TempDir dir;
  dir.write("Scripts/Tour.txt", "1 key down RETURN\r\n2 key up RETURN\r\n");
  ASSERT_TRUE(script.loadFile(dir.path() + "/scripts/tour.txt"));
  EXPECT_EQ(script.eventCount(), 2u);
  nextFrame();
  EXPECT_EQ(Keyboard::instance().isKeyDown(kKeyReturn), 1);
  EXPECT_FALSE(script.loadFile(dir.path() + "/none.txt"));
  EXPECT_EQ(script.eventCount(), 0u);
  EXPECT_TRUE(script.finished());
}

}  // namespace
