#include "app/TestApplication.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "foundation/LogCapture.h"
#include "foundation/Path.h"
#include "foundation/ScriptedInputSource.h"
#include "render/D3D8Renderer.h"

namespace {

const std::vector<std::string> kSwitchingOrder = {
    "BumpContext",      "Md3Context",          "BumpMd3Context",     "TestContext",
    "ParticleContext",  "ShadowVolumeContext", "LwsImportContext",   "TerrainContext",
    "ChoppyWavesContext", "Water2DContext",    "NewaveContext",      "GerstnerWavesContext"};

class TestApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetEngineServices();
    D3D8Renderer::setExitHandler([this](int code) { exitCode = code; });
    setWindowVariables("Switching", "64", "48");
    application = std::make_unique<TestApplication>();
    application->setSurfaceFactory([this](const SurfaceRequest& request) {
      auto surface = std::make_unique<FakeSurface>(request);
      surface_ = surface.get();
      return std::unique_ptr<RenderSurface>(std::move(surface));
    });
  }

  void TearDown() override {
    application->shutdown();
    resetEngineServices();
    application.reset();
    D3D8Renderer::restoreExitHandler();
  }

  // Starts the application with the script as its keyboard.
  void start(const std::string& scriptText) {
    ASSERT_TRUE(script.loadText(scriptText));
    application->init();
    ASSERT_EQ(exitCode, -1) << "renderer refused the recording device";
    InputSource::install(&script);
  }

  // Runs frames until the Timer's frame number reaches lastFrame; returns the current context's
  // name after each frame.
  std::vector<std::string> runUntil(std::uint32_t lastFrame) {
    std::vector<std::string> names;
    while (Timer::instance().frame() < lastFrame) {
      application->update();
      application->render();
      names.push_back(application->currentContext()->name());
    }
    return names;
  }

  // The distinct contexts visited, in order, starting with the one current before the frames.
  static std::vector<std::string> switches(const std::string& first, const std::vector<std::string>& names) {
    std::vector<std::string> visited = {first};
    for (const std::string& n : names) {
      if (n != visited.back()) visited.push_back(n);
    }
    return visited;
  }

  std::unique_ptr<TestApplication> application;
  FakeSurface* surface_ = nullptr;
  ScriptedInputSource script;
  int exitCode = -1;
};

TEST_F(TestApplicationTest, InitRegistersTwelveContextsAndStartsWithBump) {
  start("");
  ASSERT_EQ(application->contextList().size(), 12u);
  for (std::size_t i = 0; i < kSwitchingOrder.size(); ++i) {
    EXPECT_EQ(application->contextList()[i]->name(), kSwitchingOrder[i]) << i;
  }
  ASSERT_NE(application->currentContext(), nullptr);
  EXPECT_EQ(application->currentContext()->name(), "BumpContext");
  EXPECT_EQ(application->currentContextIndex(), 0);
  // The window was asked for with the settings at (40, 60).
  ASSERT_NE(surface_, nullptr);
  EXPECT_EQ(surface_->request.title, "Switching");
  EXPECT_EQ(surface_->request.x, 40);
  EXPECT_EQ(surface_->request.y, 60);
  EXPECT_EQ(surface_->request.width, 64);
  EXPECT_EQ(surface_->request.height, 48);
}

TEST_F(TestApplicationTest, TwelveEscapesVisitEveryContextAndReturnToBump) {
  std::ostringstream text;
  // Press at frame 10 + 4k, release two frames later.
  for (int k = 0; k < 12; ++k) {
    text << 10 + 4 * k << " key down ESCAPE\n" << 12 + 4 * k << " key up ESCAPE\n";
  }
  start(text.str());
  const std::vector<std::string> names = runUntil(10 + 4 * 12 + 5);
  std::vector<std::string> expected = kSwitchingOrder;
  expected.push_back("BumpContext");
  EXPECT_EQ(switches("BumpContext", names), expected);
  EXPECT_EQ(application->currentContext()->name(), "BumpContext");
}

TEST_F(TestApplicationTest, ShiftEscapeFromBumpGoesBackToGerstner) {
  start(
      "10 key down LSHIFT\n"
      "12 key down ESCAPE\n"
      "14 key up ESCAPE\n"
      "16 key up LSHIFT\n");
  const std::vector<std::string> names = runUntil(20);
  EXPECT_EQ(switches("BumpContext", names),
            (std::vector<std::string>{"BumpContext", "GerstnerWavesContext"}));
  EXPECT_EQ(application->currentContextIndex(), 11);
}

TEST_F(TestApplicationTest, HoldingEscapeSwitchesOnce) {
  start("5 key down ESCAPE\n200 key up ESCAPE\n");
  const std::vector<std::string> names = runUntil(150);
  EXPECT_EQ(switches("BumpContext", names), (std::vector<std::string>{"BumpContext", "Md3Context"}));
}

TEST_F(TestApplicationTest, HoldingShiftAndEscapeSwitchesOnceBackwardsOnly) {
  // Shift is held throughout; Escape is held for many frames and released first.
  start(
      "5 key down LSHIFT\n"
      "8 key down ESCAPE\n"
      "90 key up ESCAPE\n"
      "95 key up LSHIFT\n");
  const std::vector<std::string> names = runUntil(100);
  EXPECT_EQ(switches("BumpContext", names),
            (std::vector<std::string>{"BumpContext", "GerstnerWavesContext"}));
}

TEST_F(TestApplicationTest, ReleasingShiftBeforeEscapeDoesNotAlsoSwitchForwards) {
  // Escape stays down after Shift goes up: it is still the same press, already used by the chord.
  start(
      "5 key down LSHIFT\n"
      "8 key down ESCAPE\n"
      "20 key up LSHIFT\n"
      "40 key up ESCAPE\n"
      "50 key down ESCAPE\n"   // a new press afterwards switches forwards again
      "52 key up ESCAPE\n");
  const std::vector<std::string> names = runUntil(45);
  EXPECT_EQ(switches("BumpContext", names),
            (std::vector<std::string>{"BumpContext", "GerstnerWavesContext"}));
  const std::vector<std::string> later = runUntil(55);
  EXPECT_EQ(switches("GerstnerWavesContext", later),
            (std::vector<std::string>{"GerstnerWavesContext", "BumpContext"}));
}

TEST_F(TestApplicationTest, SwitchTakesEffectForTheRenderOfTheSameFrame) {
  start("10 key down ESCAPE\n");
  runUntil(9);
  surface_->recorder().clearCalls();
  runUntil(10);  // the frame in which Escape goes down
  const std::vector<DrawnText> texts = drawnTexts(surface_->recorder());
  bool namePrinted = false;
  for (const DrawnText& t : texts) {
    if (t.left == 5 && t.top == 5) {
      EXPECT_EQ(t.text, "Md3Context");
      namePrinted = true;
    }
  }
  EXPECT_TRUE(namePrinted);
}

TEST_F(TestApplicationTest, SelectContextByName) {
  start("");
  EXPECT_TRUE(application->selectContext("TerrainContext"));
  EXPECT_EQ(application->currentContextIndex(), 7);
  EXPECT_EQ(application->currentContext()->name(), "TerrainContext");
  EXPECT_FALSE(application->selectContext("terraincontext"));
  EXPECT_FALSE(application->selectContext("NoSuchContext"));
  EXPECT_EQ(application->currentContext()->name(), "TerrainContext");
}

TEST_F(TestApplicationTest, F1ShowsTheCurrentContextsKeysAndTheGlobalOnesUntilPressedAgain) {
  start("2 key down F1\n3 key up F1\n5 key down F1\n6 key up F1\n");
  ASSERT_TRUE(application->selectContext("ParticleContext"));
  auto overlay = [this]() -> std::string {
    for (const DrawnText& text : drawnTexts(surface_->recorder())) {
      if (text.text.rfind("Keys of ", 0) == 0) return text.text + " @" + std::to_string(text.left) + "," + std::to_string(text.top);
    }
    return "";
  };
  std::vector<std::string> seen;
  while (Timer::instance().frame() < 6) {
    surface_->recorder().clearCalls();
    application->update();
    application->render();
    seen.push_back(overlay());
  }
  const std::string expected =
      "Keys of ParticleContext:\n"
      "  Left drag: orbit the camera\n"
      "  Right drag: move the point the camera looks at\n"
      "  Wheel or middle drag: move the camera closer or farther\n"
      "Everywhere:\n"
      "  Escape: next context\n"
      "  Shift + Escape: previous context\n"
      "  F1: show or hide these keys\n"
      "  F12: save a screenshot in the working folder @5,90";
  // Frames 2 to 6 (start-up ticked frame 1): shown from the press in frame 2 until the press in
  // frame 5.
  EXPECT_EQ(seen, (std::vector<std::string>{expected, expected, expected, "", ""}));
}

TEST(TestApplicationKeysTest, AContextWithoutKeysOfItsOwnSaysSo) {
  struct Quiet : Context {
    Quiet() : Context("QuietContext") {}
    void init() override {}
    void update() override {}
    void render() override {}
    void release() override {}
  } quiet;
  EXPECT_EQ(TestApplication::keyHelpText(quiet),
            "Keys of QuietContext:\n  (none of its own)\nEverywhere:\n  Escape: next context\n"
            "  Shift + Escape: previous context\n  F1: show or hide these keys\n"
            "  F12: save a screenshot in the working folder");
}

TEST(TestApplicationKeysTest, ContextsGoByNameInAnyCaseOrIndex) {
  TestApplication application;
  const std::pair<const char*, const char*> cases[] = {
      {"ParticleContext", "ParticleContext"}, {"PARTICLEcontext", "ParticleContext"},
      {"0", "BumpContext"}, {"11", "GerstnerWavesContext"}, {"07", "TerrainContext"}};
  for (const auto& [text, name] : cases) {
    Context* context = application.findContext(text);
    ASSERT_NE(context, nullptr) << text;
    EXPECT_EQ(context->name(), name) << text;
  }
  for (const char* text : {"", "12", "-1", "Particle", "1e1", "ParticleContext "}) {
    EXPECT_EQ(application.findContext(text), nullptr) << text;
  }
}

TEST(TestApplicationKeysTest, ScreenshotsAreNamedAfterTheContextAndTheTimeWithoutOverwriting) {
  const std::string base = programApplicationPath();
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 7;
  local.tm_hour = 9;
  local.tm_min = 5;
  local.tm_sec = 3;
  local.tm_isdst = -1;
  const std::time_t when = std::mktime(&local);
  const std::string first = TestApplication::screenshotPath("Md3Context", when);
  EXPECT_EQ(first, base + "Md3Context-20240307-090503.png");
  std::ofstream(first).put('x');
  EXPECT_EQ(TestApplication::screenshotPath("Md3Context", when), base + "Md3Context-20240307-090503-2.png");
  std::filesystem::remove(first);
}

TEST(TestApplicationWindowTest, WindowSizeFromSettingsWithDefaultsAndACap) {
  struct Case {
    const char* width;
    const char* height;
    int expectedWidth;
    int expectedHeight;
    std::vector<std::string> reports;  // log messages, in order
  };
  const Case cases[] = {
      {"640", "480", 640, 480, {}},
      {"320.9", "240.99", 320, 240, {}},  // truncated, not rounded
      {"800px", "600 ", 800, 600, {}},    // atof reads the leading number
      {"wide", "", 800, 600,
       {"Setting \"resolutionX\" is \"wide\", not a number: using 800",
        "Setting \"resolutionY\" has no value: using 600"}},
      {"-5", "1e30", 800, 4320,
       {"Setting \"resolutionX\" is \"-5\", less than one pixel: using 800",
        "Setting \"resolutionY\" is \"1e30\", more than 4320: using 4320"}},
      {"0", "0.5", 800, 600,
       {"Setting \"resolutionX\" is \"0\", less than one pixel: using 800",
        "Setting \"resolutionY\" is \"0.5\", less than one pixel: using 600"}},
      {"nan", "inf", 800, 600,
       {"Setting \"resolutionX\" is \"nan\", not a number: using 800",
        "Setting \"resolutionY\" is \"inf\", not a number: using 600"}},
      {"7681", "4320", 7680, 4320, {"Setting \"resolutionX\" is \"7681\", more than 7680: using 7680"}},
  };
  for (const Case& c : cases) {
    resetEngineServices();
    setWindowVariables("Sizes", c.width, c.height);
    VariableTable::instance().set(Variable("data", "data"));
    TestApplication application;
    application.setSettingsFile("");
    SurfaceRequest seen;
    application.setSurfaceFactory([&seen](const SurfaceRequest& request) {
      seen = request;
      return std::unique_ptr<RenderSurface>(std::make_unique<FakeSurface>(request));
    });
    LogCapture log;
    std::unique_ptr<RenderSurface> surface = application.createWindow();
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(seen.width, c.expectedWidth) << c.width;
    EXPECT_EQ(seen.height, c.expectedHeight) << c.height;
    EXPECT_EQ(log.messages(), c.reports) << c.width << " x " << c.height;
    EXPECT_EQ(application.mainWindowSurface(), surface.get());
  }
}

TEST(TestApplicationWindowTest, MissingSettingsFileIsReportedAndTheDefaultsUsed) {
  resetEngineServices();
  VariableTable::instance().clear();
  TestApplication application;
  application.setSettingsFile("NoSuchFile.set");
  SurfaceRequest seen;
  application.setSurfaceFactory([&seen](const SurfaceRequest& request) {
    seen = request;
    return std::unique_ptr<RenderSurface>(std::make_unique<FakeSurface>(request));
  });
  LogCapture log;
  application.createWindow();
  EXPECT_EQ(seen.title, "INVALID");
  EXPECT_EQ(seen.width, 800);
  EXPECT_EQ(seen.height, 600);
  const std::vector<std::string> messages = log.messages();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0].rfind("Couldn't read the settings file \"NoSuchFile.set\" in /", 0), 0u) << messages[0];
  EXPECT_EQ(messages[1], "Setting \"data\" is not set: the scenes will not find their files");
  EXPECT_EQ(messages[2], "Setting \"resolutionX\" is not set: using 800");
  EXPECT_EQ(messages[3], "Setting \"resolutionY\" is not set: using 600");
}

}  // namespace
