#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "AppTestSupport.h"
#include "XvfbServer.h"
#include "app/MainWindow.h"
#include "app/TestApplication.h"
#include "device/GlDevice.h"
#include "scenes/ParticleContext.h"
#include "render/D3D8Renderer.h"

namespace {

// A private X server for the tests of this file, started and stopped by the fixture.
class XvfbWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (server.start()) setenv("DISPLAY", server.name().c_str(), 1);
  }

  static void TearDownTestSuite() {
    server.stop();
    unsetenv("DISPLAY");
  }

  void SetUp() override {
    if (!server.running()) GTEST_SKIP() << "Xvfb could not be started";
    resetEngineServices();
  }
  void TearDown() override { resetEngineServices(); }

  static XvfbServer server;
};

XvfbServer XvfbWindowTest::server;

TEST_F(XvfbWindowTest, ClientAreaIsExactlyTheSettingsSizeAtFortySixty) {
  setWindowVariables("Window test", "640", "480");
  TestApplication application;  // no factory: the SDL window
  application.init();
  ASSERT_NE(application.window(), nullptr);
  auto* window = dynamic_cast<MainWindow*>(application.window());
  ASSERT_NE(window, nullptr) << "expected a real window under Xvfb";
  EXPECT_EQ(window->clientWidth(), 640);
  EXPECT_EQ(window->clientHeight(), 480);
  EXPECT_EQ(window->clientX(), 40);
  EXPECT_EQ(window->clientY(), 60);
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(window->sdlWindow(), &drawableWidth, &drawableHeight);
  EXPECT_EQ(drawableWidth, 640);
  EXPECT_EQ(drawableHeight, 480);
  EXPECT_STREQ(SDL_GetWindowTitle(window->sdlWindow()), "Window test");

  // One frame fills exactly that area with the clear colour (0.2 grey) around the overlay.
  ASSERT_TRUE(window->requestCapture());
  ASSERT_TRUE(window->processEvents());
  application.update();
  application.render();
  std::vector<std::uint8_t> rgba;
  int width = 0, height = 0;
  ASSERT_TRUE(window->takeCapture(rgba, width, height));
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  ASSERT_EQ(rgba.size(), 640u * 480u * 4u);
  const std::uint8_t* corner = &rgba[(479 * 640 + 639) * 4];
  EXPECT_NEAR(corner[0], 51, 1);
  EXPECT_NEAR(corner[1], 51, 1);
  EXPECT_NEAR(corner[2], 51, 1);
  application.shutdown();
  resetEngineServices();  // the renderer goes before the window, as at program exit
}

TEST_F(XvfbWindowTest, ClosingTheWindowEndsTheLoopButKeepsTheDevice) {
  SurfaceRequest request;
  request.title = "Close test";
  request.x = 40;
  request.y = 60;
  request.width = 100;
  request.height = 80;
  std::unique_ptr<MainWindow> window = MainWindow::create(request);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->processEvents());
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_FALSE(window->processEvents());
  EXPECT_FALSE(window->processEvents());  // stays closed
  EXPECT_TRUE(window->isClosed());
  EXPECT_NE(window->device(), nullptr);
}

TEST_F(XvfbWindowTest, MissingSizeGivesTheSmallestWindowInsteadOfNone) {
  SurfaceRequest request;  // the "INVALID" settings: 0 by 0
  request.title = "INVALID";
  std::unique_ptr<MainWindow> window = MainWindow::create(request);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->clientWidth(), 1);
  EXPECT_EQ(window->clientHeight(), 1);
  EXPECT_NE(window->device(), nullptr);
}

TEST_F(XvfbWindowTest, KeysAndDroppedFilesReachTheWindowsInputSource) {
  SurfaceRequest request;
  request.title = "Keys";
  request.width = 64;
  request.height = 64;
  std::unique_ptr<MainWindow> window = MainWindow::create(request);
  ASSERT_NE(window, nullptr);
  SDL_Event key{};
  key.type = SDL_KEYDOWN;
  key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  SDL_PushEvent(&key);
  SDL_Event drop{};
  drop.type = SDL_DROPFILE;
  drop.drop.file = SDL_strdup("/home/me/boat.lws");  // freed by whoever takes the event
  drop.drop.windowID = SDL_GetWindowID(window->sdlWindow());
  SDL_PushEvent(&drop);
  ASSERT_TRUE(window->processEvents());
  ASSERT_NE(window->inputSource(), nullptr);
  std::uint8_t keys[kKeyCount] = {};
  ASSERT_TRUE(window->inputSource()->readKeyboard(keys));
  EXPECT_EQ(keys[kKeyEscape], 1);
  std::string path;
  ASSERT_TRUE(window->inputSource()->takeDroppedFile(path));
  EXPECT_EQ(path, "/home/me/boat.lws");
  EXPECT_FALSE(window->inputSource()->takeDroppedFile(path));
}


// Pushes a window event as the system would send it.
void pushWindowEvent(SDL_Window* window, Uint8 type, int data1 = 0, int data2 = 0) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = SDL_GetWindowID(window);
  event.window.event = type;
  event.window.data1 = data1;
  event.window.data2 = data2;
  SDL_PushEvent(&event);
}

TEST_F(XvfbWindowTest, ResizingMinimisingAndRestoringKeepFramesRightWithoutGlErrors) {
  setWindowVariables("Resize test", "320", "240");
  VariableTable::instance().set(Variable("data", "data"));
  TestApplication application;  // no factory: the SDL window
  application.init();
  auto* window = dynamic_cast<MainWindow*>(application.window());
  ASSERT_NE(window, nullptr) << "expected a real window under Xvfb";
  auto* device = dynamic_cast<GlDevice*>(window->device().get());
  ASSERT_NE(device, nullptr);
  ASSERT_TRUE(application.selectContext("ParticleContext"));
  auto* particles = dynamic_cast<ParticleContext*>(application.currentContext());
  ASSERT_NE(particles, nullptr);

  // One frame with its capture; the capture's size is the back buffer's.
  auto frame = [&](int& width, int& height) {
    ASSERT_TRUE(window->requestCapture());
    ASSERT_TRUE(window->processEvents());
    ASSERT_FALSE(window->isPaused());
    application.update();
    application.render();
    std::vector<std::uint8_t> rgba;
    ASSERT_TRUE(window->takeCapture(rgba, width, height));
    ASSERT_EQ(rgba.size(), std::size_t(width) * height * 4);
  };
  int width = 0, height = 0;
  ASSERT_NO_FATAL_FAILURE(frame(width, height));
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_FLOAT_EQ(particles->camera().aspect(), 320.0f / 240.0f);

  // The user drags the window to 400 x 200: back buffer, projection and picker follow.
  SDL_SetWindowSize(window->sdlWindow(), 400, 200);
  for (int i = 0; i < 200 && device->backBufferWidth() != 400; ++i) {
    SDL_Delay(5);
    ASSERT_TRUE(window->processEvents());
  }
  ASSERT_NO_FATAL_FAILURE(frame(width, height));
  EXPECT_EQ(width, 400);
  EXPECT_EQ(height, 200);
  EXPECT_EQ(device->backBufferHeight(), 200);
  EXPECT_FLOAT_EQ(particles->camera().aspect(), 2.0f);
  int pickerWidth = 0, pickerHeight = 0;
  window->clientSize(pickerWidth, pickerHeight);
  EXPECT_EQ(pickerWidth, 400);
  EXPECT_EQ(pickerHeight, 200);
  EXPECT_EQ(device->takeGlError(), 0u);

  // Minimised, as systems report it: either the event or a client area of 0 x 0. The window is
  // paused and keeps its back buffer.
  for (bool zeroArea : {false, true}) {
    SCOPED_TRACE(zeroArea ? "0 x 0 client area" : "minimised");
    if (zeroArea) {
      pushWindowEvent(window->sdlWindow(), SDL_WINDOWEVENT_SIZE_CHANGED, 0, 0);
    } else {
      pushWindowEvent(window->sdlWindow(), SDL_WINDOWEVENT_MINIMIZED);
    }
    ASSERT_TRUE(window->processEvents());
    EXPECT_TRUE(window->isPaused());
    EXPECT_EQ(device->backBufferWidth(), 400);
    EXPECT_EQ(device->takeGlError(), 0u);
    // Restored: frames go on at the window's size.
    pushWindowEvent(window->sdlWindow(), SDL_WINDOWEVENT_RESTORED);
    ASSERT_NO_FATAL_FAILURE(frame(width, height));
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 200);
    EXPECT_EQ(device->takeGlError(), 0u);
  }
  application.shutdown();
  resetEngineServices();  // the renderer goes before the window, as at program exit
}

}  // namespace
