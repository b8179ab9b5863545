#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "tests/foundation/TestSupport.h"
#include "app/Application.h"
#include "app/ShellApp.h"
#include "engine/Context.h"
#include "foundation/Clock.h"
#include "foundation/FrameStats.h"
#include "foundation/LogCapture.h"
#include "foundation/Timer.h"
#include "render/D3D8Renderer.h"

namespace {

std::vector<std::string> events;

class ProbeContext : public Context {
 public:
  ProbeContext() : Context("ProbeContext") {}
  void init() override { events.push_back("context init"); }
  void update() override { events.push_back("update"); }
  void render() override { events.push_back("render"); }
  void release() override { events.push_back("release"); }
};

// An application with one probe context, made current unless told otherwise.
class ProbeApplication : public Application {
 public:
  ProbeApplication(int passesBeforeClose, bool withContext)
      : Application(nullptr), passesBeforeClose(passesBeforeClose), withContext(withContext) {}

  void init() override {
    events.push_back("init");
    Application::init();
    context.init();
    if (withContext) setCurrentContext(&context);
  }
  void shutdown() override {
    // Every engine-wide service must still be there.
    events.push_back(rendererHolder() ? "shutdown" : "shutdown without renderer");
    context.release();
  }
  std::unique_ptr<RenderSurface> createWindow() override {
    SurfaceRequest request;
    request.width = 64;
    request.height = 48;
    auto surface = std::make_unique<FakeSurface>(request, passesBeforeClose);
    surface->pauseFrom = pauseFrom;
    surface->pauseUntil = pauseUntil;
    surface->passTimeMs = passTimeMs;
    fake = surface.get();
    return surface;
  }

  FakeSurface* fake = nullptr;
  int pauseFrom = -1;
  int pauseUntil = -1;
  double* passTimeMs = nullptr;

 private:
  int passesBeforeClose;
  bool withContext;
  ProbeContext context;
};

class ApplicationLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEngineServices();
    events.clear();
    D3D8Renderer::setExitHandler([](int) { events.push_back("renderer exit"); });
  }
  void TearDown() override {
    resetEngineServices();
    D3D8Renderer::restoreExitHandler();
  }
};

TEST_F(ApplicationLoopTest, InitOnceThenUpdateRenderPerFrameThenOneShutdownWhenClosed) {
  ProbeApplication application(3, true);
  ShellApp shell;
  EXPECT_EQ(shell.runFrames(application, 0), 0);
  const std::vector<std::string> expected = {"init",   "context init", "update", "render",
                                             "update", "render",       "update", "render",
                                             "shutdown", "release"};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(shell.frameCount(), 3);
  // Three passes found no close; the fourth did and ran no frame.
  ASSERT_NE(application.fake, nullptr);
  EXPECT_EQ(application.fake->passes, 4);
}

TEST_F(ApplicationLoopTest, InitMakesTheObjectLoaderOnTheRenderer) {
  ProbeApplication application(0, true);
  application.init();
  ObjectLoader* loader = ObjectLoader::instance().get();
  ASSERT_NE(loader, nullptr);
  // It draws on the renderer: a ".x" file, which needs one, loads.
  testsupport::TempDir dir;
  const std::string path = dir.write(
      "t.x", "xof 0302txt 0032\nMesh t {\n 3;\n 0;0;0;,0;1;0;,1;0;0;;\n 1;\n 3;0,1,2;;\n}\n");
  EXPECT_TRUE(loader->loadObject(path));
}

TEST_F(ApplicationLoopTest, FrameLimitEndsWithTheSameOrderlyShutdown) {
  ProbeApplication application(-1, true);
  ShellApp shell;
  EXPECT_EQ(shell.runFrames(application, 5), 0);
  EXPECT_EQ(shell.frameCount(), 5);
  int updates = 0, renders = 0, shutdowns = 0;
  for (const std::string& e : events) {
    updates += e == "update";
    renders += e == "render";
    shutdowns += e == "shutdown";
  }
  EXPECT_EQ(updates, 5);
  EXPECT_EQ(renders, 5);
  EXPECT_EQ(shutdowns, 1);
  EXPECT_EQ(events.back(), "release");
}

TEST_F(ApplicationLoopTest, ClosedBeforeTheFirstFrameStillShutsDownOnce) {
  ProbeApplication application(0, true);
  ShellApp shell;
  EXPECT_EQ(shell.runFrames(application, 0), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"init", "context init", "shutdown", "release"}));
  EXPECT_EQ(shell.frameCount(), 0);
}

double fakeNowMs = 0.0;
double fakeTime() { return fakeNowMs; }

TEST_F(ApplicationLoopTest, APausedSurfaceGetsNoFramesAndNoEngineTime) {
  fakeNowMs = 1000.0;
  Clock::setTimeSource(fakeTime);
  Timer::instance().reset();
  ProbeApplication application(-1, true);
  // Event passes 2, 3 and 4 find the window minimised.
  application.pauseFrom = 2;
  application.pauseUntil = 5;
  application.passTimeMs = &fakeNowMs;
  ShellApp shell;
  LogCapture log;
  EXPECT_EQ(shell.runFrames(application, 4), 0);
  Clock::setTimeSource(nullptr);
  EXPECT_EQ(shell.frameCount(), 4);
  ASSERT_NE(application.fake, nullptr);
  EXPECT_EQ(application.fake->passes, 7);
  EXPECT_EQ(application.fake->waits, 3);
  int updates = 0;
  for (const std::string& e : events) updates += e == "update";
  EXPECT_EQ(updates, 4);
  // Four frames 10 ms apart; the 330 ms spent minimised are not engine time.
  EXPECT_EQ(Timer::instance().time(), 40.0);
  EXPECT_EQ(Timer::instance().delta(), 10.0);
  EXPECT_TRUE(log.contains("Paused: the window has no area"));
  EXPECT_TRUE(log.contains("Resumed"));
}

// The frame's device calls that matter for the overlay order.
std::vector<std::string> frameOutline(const RecordingDevice& device) {
  std::vector<std::string> outline;
  for (const DeviceCall& call : device.calls()) {
    if (call.name == "clear" || call.name == "beginScene" || call.name == "endScene" ||
        call.name == "present") {
      outline.push_back(call.name);
    } else if (call.name == "drawText" && call.ints.size() >= 5 && (call.ints[3] & DT_CALCRECT) == 0) {
      outline.push_back("text@" + std::to_string(call.ints[1]) + "," + std::to_string(call.ints[2]) +
                        ":" + call.text);
    }
  }
  return outline;
}

TEST_F(ApplicationLoopTest, FramePrintsStatisticsThenContextNameOnTop) {
  ProbeApplication application(-1, true);
  application.init();
  ASSERT_NE(application.fake, nullptr);
  application.fake->recorder().clearCalls();
  events.clear();
  application.update();
  application.render();
  EXPECT_EQ(events, (std::vector<std::string>{"update", "render"}));
  const std::vector<std::string> expected = {
      "clear", "beginScene", "text@5,30:Fps: 0\nVertices: 0\nTriangles: 0", "text@5,5:ProbeContext",
      "endScene", "present"};
  EXPECT_EQ(frameOutline(application.fake->recorder()), expected);
  application.shutdown();
}

TEST_F(ApplicationLoopTest, WithoutCurrentContextFrameStillClearsDrawsStatisticsAndPresents) {
  ProbeApplication application(-1, false);
  application.init();
  application.fake->recorder().clearCalls();
  events.clear();
  application.update();
  application.render();
  EXPECT_TRUE(events.empty());  // the context is neither updated nor rendered
  const std::vector<std::string> expected = {
      "clear", "beginScene", "text@5,30:Fps: 0\nVertices: 0\nTriangles: 0", "endScene", "present"};
  EXPECT_EQ(frameOutline(application.fake->recorder()), expected);
  application.shutdown();
}

TEST_F(ApplicationLoopTest, UpdateAdvancesTimerAndClockOncePerFrame) {
  ProbeApplication application(-1, true);
  application.init();
  Timer::instance().setFixedStep(10.0);
  const std::uint32_t frame = Timer::instance().frame();
  const double time = Timer::instance().time();
  const double gameTime = GameClock::instance().time();
  application.update();
  application.update();
  EXPECT_EQ(Timer::instance().frame(), frame + 2);
  EXPECT_DOUBLE_EQ(Timer::instance().time(), time + 20.0);
  EXPECT_DOUBLE_EQ(GameClock::instance().time(), gameTime + 20.0);
  application.shutdown();
}

TEST_F(ApplicationLoopTest, FixedStepFramesPerSecondCountEngineTime) {
  // With a fixed step the statistics follow engine time: at 10 ms a frame every interval closes
  // on its 101st frame (1010 ms > 1000 ms) and counts 101 frames, however fast the frames really
  // run. 100 s of engine time leaves any interval an earlier test may have opened far behind.
  ProbeApplication application(-1, true);
  application.init();
  Timer::instance().setFixedStep(10.0);
  for (int frame = 0; frame < 10000; ++frame) application.update();
  EXPECT_EQ(FrameStats::instance().fps(), 101u);
  application.shutdown();
}

}  // namespace
