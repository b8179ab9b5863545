#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <string>
#include <thread>

#include "engine/Renderer.h"
#include "engine/SceneNode.h"
#include "foundation/GameClock.h"
#include "foundation/LogCapture.h"
#include "foundation/ScriptedInputSource.h"
#include "foundation/Timer.h"
#include "foundation/VariableTable.h"
#include "image/TextureManager.h"
#include "loaders/ObjectLoader.h"
#include "scenes/LwsImportContext.h"
#include "tests/foundation/TestSupport.h"

namespace {

// A one-triangle object and a scene that moves it from x = 0 to x = 4 over one second.
const char* const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
std::string slideScene(const std::string& object, double endX) {
  return "LWSC\n3\n\nLoadObjectLayer 1 " + object + "\nObjectMotion\nNumChannels 9\nChannel 0\n{ Envelope\n  2\n" +
         "  Key 0 0 0 0 0 0 0 0 0\n  Key " + std::to_string(endX) + " 1 0 0 0 0 0 0 0\n  Behaviors 1 1\n}\n";
}

// The scripted keys of a test, plus files dropped on the window.
class TestInput : public ScriptedInputSource {
 public:
  std::deque<std::string> drops;
  bool takeDroppedFile(std::string& path) override {
    if (drops.empty()) return false;
    path = drops.front();
    drops.pop_front();
    return true;
  }
};

// Frames of 10 ms as the application runs them: the clocks tick, the devices are polled, then
// the context updates. The data folder holds the default scene's path with a small scene in it.
class LwsImportContextTest : public testsupport::InputFrames {
 protected:
  LwsImportContextTest() : InputFrames(input) {}
  void SetUp() override {
    InputFrames::SetUp();
    GameClock::instance().reset();
    data.write("animations/sailjump/tri.obj", kTriangle);
    data.write("animations/sailjump/sails_jump.lws", slideScene("tri.obj", 4.0));
    data.write("other/tri.obj", kTriangle);
    data.write("other/other.lws", slideScene("tri.obj", -8.0));
    previousData = VariableTable::instance().get("data").value();
    VariableTable::instance().set(Variable("data", data.path()));
    ObjectLoader::instance() = new ObjectLoader(nullptr, nullptr);
  }
  void TearDown() override {
    ObjectLoader::instance() = nullptr;
    VariableTable::instance().set(Variable("data", previousData));
    GameClock::instance().reset();
    InputFrames::TearDown();
  }
  void frame() {
    nextFrame();
    GameClock::instance().tick();
    context.update();
  }
  // Runs frames up to and including the given frame number; returns the GameClock's advance in
  // each of them.
  std::vector<double> runTo(std::uint32_t lastFrame) {
    std::vector<double> advances;
    while (Timer::instance().frame() < lastFrame) {
      const double before = GameClock::instance().time();
      frame();
      advances.push_back(GameClock::instance().time() - before);
    }
    return advances;
  }
  float translationX() { return context.model()->node()->world().translation().x; }

  testsupport::TempDir data;
  std::string previousData;
  TestInput input;
  LwsImportContext context;
};

TEST_F(LwsImportContextTest, StartsWithTheDefaultSceneFramedAndPlaying) {
  EXPECT_EQ(context.name(), "LwsImportContext");
  context.init();
  ASSERT_NE(context.model(), nullptr);
  ASSERT_NE(context.scene(), nullptr);
  EXPECT_EQ(context.scene()->objects().size(), 1u);
  EXPECT_EQ(context.scene()->lights().size(), 1u);
  EXPECT_EQ(context.scene()->camera(), &context.camera());
  EXPECT_EQ(context.animation().entries().size(), 1u);
  EXPECT_EQ(context.animation().durationMs(), 1000.0);

  // The triangle's bounding sphere slides 4 along x: the camera looks at the middle of everything
  // it reaches, 2 beyond the sphere's centre at the start, from above and behind.
  const Vector3 sphere = context.model()->instances()[0]->mesh()->current().bounds.center;
  const Matrix34& eye = context.camera().node()->world();
  const Vector3 forward = eye.axis(2);
  EXPECT_NEAR(forward.x, 0.0f, 1e-5f);
  EXPECT_LT(forward.y, 0.0f);
  EXPECT_GT(forward.z, 0.0f);
  EXPECT_NEAR(eye.translation().x, sphere.x + 2.0f, 1e-5f);

  // 500 ms in, flat keys put it at 4 · h2(0.5) = 2.
  runTo(50);
  EXPECT_FLOAT_EQ(translationX(), 2.0f);
  // The light shines along the camera's view.
  const float* light = context.light().position();
  EXPECT_FLOAT_EQ(light[0], -forward.x);
  EXPECT_FLOAT_EQ(light[1], -forward.y);
  EXPECT_FLOAT_EQ(light[2], -forward.z);
  EXPECT_EQ(light[3], 0.0f);
}

TEST_F(LwsImportContextTest, SpacePausesAndResumesTheGameClock) {
  context.init();
  ASSERT_TRUE(input.loadText("2 key down SPACE\n3 key up SPACE\n5 key down SPACE\n6 key up SPACE\n"));
  const std::vector<double> advances = runTo(8);
  // Frame 2's update stops the clock; frame 5's starts it again, from frame 6 on.
  const std::vector<double> expected = {10, 10, 0, 0, 0, 10, 10, 10};
  EXPECT_EQ(advances, expected);
  EXPECT_TRUE(context.isRunning());
  EXPECT_EQ(GameClock::instance().scale(), 1.0f);
  // The triangle stood still while paused: 50 ms of motion in 80 ms of frames.
  EXPECT_EQ(context.animation().startTime(), 0.0);
  EXPECT_NEAR(translationX(), 4.0f * (3 * 0.0025f - 2 * 0.000125f), 1e-5f);  // u = 0.05
}

TEST_F(LwsImportContextTest, SAndWSlowDownAndSpeedUpTheGameClock) {
  context.init();
  ASSERT_TRUE(input.loadText("2 key down S\n3 key up S\n5 key down W\n6 key up W\n8 key down W\n9 key up W\n"));
  const std::vector<double> advances = runTo(10);
  EXPECT_FLOAT_EQ(context.speed(), 0.6666667f * 1.5f * 1.5f);
  EXPECT_DOUBLE_EQ(advances[2], 10.0 * 0.6666667f);                // frames 3 to 5
  EXPECT_DOUBLE_EQ(advances[5], 10.0 * (0.6666667f * 1.5f));       // frames 6 to 8
  EXPECT_DOUBLE_EQ(advances[8], 10.0 * (0.6666667f * 1.5f * 1.5f));  // frames 9 and 10
  EXPECT_FLOAT_EQ(GameClock::instance().scale(), context.speed());
}

TEST_F(LwsImportContextTest, HeldKeysRepeatAndTheSpeedStaysInItsRange) {
  context.init();
  // S held for 720 ms: a press at once, one 500 ms later, then one every 50 ms (each after a
  // frame without it): frames 20, 71, 76, 81, 86 and 91.
  ASSERT_TRUE(input.loadText("20 key down S\n92 key up S\n120 key down W\n1400 key up W\n"));
  runTo(92);
  EXPECT_NEAR(context.speed(), std::pow(0.6666667f, 6), 1e-6f);
  // W held for 12.8 seconds would multiply it by 1.5 about 250 times.
  runTo(1410);
  EXPECT_EQ(context.speed(), LwsImportContext::kMaxSpeed);
  EXPECT_EQ(GameClock::instance().scale(), LwsImportContext::kMaxSpeed);
  EXPECT_TRUE(std::isfinite(GameClock::instance().time()));
}

TEST_F(LwsImportContextTest, SpeedChangedWhilePausedIsPlayedOnResume) {
  context.init();
  ASSERT_TRUE(input.loadText("2 key down SPACE\n3 key up SPACE\n4 key down W\n5 key up W\n"
                             "7 key down SPACE\n8 key up SPACE\n"));
  runTo(5);
  EXPECT_FALSE(context.isRunning());
  EXPECT_FLOAT_EQ(context.speed(), 1.5f);
  EXPECT_EQ(GameClock::instance().scale(), 0.0f);  // still paused
  const std::vector<double> advances = runTo(9);
  EXPECT_EQ(advances[0], 0.0);   // frame 6
  EXPECT_EQ(advances[1], 0.0);   // frame 7, whose update resumes
  EXPECT_EQ(advances[2], 15.0);  // frame 8
  EXPECT_TRUE(context.isRunning());
  EXPECT_EQ(GameClock::instance().scale(), 1.5f);
}

TEST_F(LwsImportContextTest, AFileThatGivesNoModelChangesNothing) {
  context.init();
  const Model* before = context.model();
  const Scene* sceneBefore = context.scene();
  data.write("notes.txt", slideScene("tri.obj", 1.0));
  data.write("empty.lws", "LWSC\n3\n");
  LogCapture log;
  for (const char* name : {"notes.txt", "empty.lws", "absent.lws"}) {
    EXPECT_FALSE(context.load(data.path() + "/" + name)) << name;
  }
  EXPECT_EQ(context.model(), before);
  EXPECT_EQ(context.scene(), sceneBefore);
  EXPECT_EQ(log.messages().size(), 3u) << log.text();
  runTo(50);
  EXPECT_FLOAT_EQ(translationX(), 2.0f);
}

// The dialog's program is a stand-in that answers like zenity; a display is pretended.
class LwsImportDialogTest : public LwsImportContextTest {
 protected:
  void SetUp() override {
    LwsImportContextTest::SetUp();
    for (Saved& variable : saved) {
      const char* value = std::getenv(variable.name);
      variable.had = value != nullptr;
      if (value) variable.value = value;
    }
    setenv("DISPLAY", ":99", 1);
    unsetenv("WAYLAND_DISPLAY");
  }
  void TearDown() override {
    for (const Saved& variable : saved) {
      if (variable.had) {
        setenv(variable.name, variable.value.c_str(), 1);
      } else {
        unsetenv(variable.name);
      }
    }
    LwsImportContextTest::TearDown();
  }
  // Presses O at frame 2, then runs frames (10 ms of game time each, a few ms of real time) until
  // the dialog has ended.
  void chooseWithO() {
    ASSERT_TRUE(input.loadText("2 key down O\n3 key up O\n"));
    runTo(3);
    ASSERT_TRUE(context.fileDialog().isOpen());
    for (int i = 0; i < 4000 && context.fileDialog().isOpen(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      frame();
    }
    ASSERT_FALSE(context.fileDialog().isOpen());
    frame();
  }
  struct Saved {
    const char* name;
    std::string value;
    bool had;
  };
  Saved saved[2] = {{"DISPLAY", "", false}, {"WAYLAND_DISPLAY", "", false}};
};

TEST_F(LwsImportDialogTest, OPlaysTheChosenScene) {
  context.init();
  const Model* before = context.model();
  context.fileDialog().setCommand({"sh", "-c", "sleep 0.2; echo '" + data.path() + "/other/other.lws'"});
  chooseWithO();
  ASSERT_NE(context.model(), nullptr);
  EXPECT_NE(context.model(), before);
  // The new scene starts at the moment it is loaded and moves towards −8.
  EXPECT_LT(translationX(), 0.0f);
}

TEST_F(LwsImportDialogTest, CancellingTheDialogKeepsTheScenePlaying) {
  context.init();
  const Model* before = context.model();
  context.fileDialog().setCommand({"sh", "-c", "sleep 0.2; exit 1"});
  LogCapture log;
  chooseWithO();
  EXPECT_EQ(context.model(), before);
  EXPECT_TRUE(log.messages().empty()) << log.text();
  EXPECT_TRUE(context.animation().entries()[0].attached);
  EXPECT_TRUE(context.isRunning());
  EXPECT_EQ(GameClock::instance().scale(), 1.0f);
}

TEST_F(LwsImportDialogTest, WithoutZenityOrDisplayTheSceneGoesOnWithOneLogLine) {
  context.init();
  const Model* before = context.model();
  context.fileDialog().setCommand({"testbed-no-such-dialog"});
  {
    LogCapture log;
    ASSERT_TRUE(input.loadText("2 key down O\n3 key up O\n"));
    runTo(5);
    EXPECT_EQ(log.messages().size(), 1u) << log.text();
    EXPECT_TRUE(log.contains("testbed-no-such-dialog not found"));
  }
  unsetenv("DISPLAY");
  {
    LogCapture log;
    ASSERT_TRUE(input.loadText("7 key down O\n8 key up O\n"));
    runTo(9);
    EXPECT_EQ(log.messages().size(), 1u) << log.text();
    EXPECT_TRUE(log.contains("no display"));
  }
  EXPECT_EQ(context.model(), before);
}

TEST_F(LwsImportContextTest, ADroppedSceneIsPlayed) {
  context.init();
  input.drops.push_back(data.path() + "/notes.txt");  // passed over for the newest drop
  input.drops.push_back(data.path() + "/other/other.lws");
  runTo(10);
  ASSERT_NE(context.model(), nullptr);
  EXPECT_LT(translationX(), 0.0f);
  EXPECT_TRUE(input.drops.empty());
}

}  // namespace
