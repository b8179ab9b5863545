// The program in a real window on a private X server, ended the ways a user ends it.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "ProgramRunSupport.h"
#include "XvfbServer.h"
#include "image/Image.h"

namespace {

using namespace program_run;

const char* kSettings =
    "set windowName Window run\n"
    "set resolutionX 96\n"
    "set resolutionY 64\n";

class ProgramWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server.start(); }
  static void TearDownTestSuite() { server.stop(); }
  void SetUp() override {
    if (!server.running()) GTEST_SKIP() << "Xvfb could not be started";
  }

  // Starts the program in a window with a screenshot requested and waits for its first frame.
  pid_t startWindowed(const std::filesystem::path& dir) {
    writeFile(dir / "Test.set", kSettings);
    const pid_t pid = start(dir, {"--context", "ParticleContext", "--screenshot", "shot.png"}, server.name());
    EXPECT_TRUE(waitForText(dir / "GameEngine.log", "First frame presented"));
    return pid;
  }

  // The run ended through the normal shut-down with the last frame saved whole.
  static void expectOrderlyEndWithPicture(const std::filesystem::path& dir) {
    const std::string log = readFile(dir / "GameEngine.log");
    EXPECT_EQ(log.find("No window"), std::string::npos) << "expected a real window:\n" << log;
    const std::size_t saved = log.find("Saved the frame to \"shot.png\"");
    const std::size_t farewell = log.find("Direct3D shut down complete.");
    EXPECT_NE(saved, std::string::npos) << log;
    EXPECT_NE(farewell, std::string::npos) << log;
    EXPECT_LT(saved, farewell) << log;
    Image shot((dir / "shot.png").string());
    EXPECT_EQ(shot.width(), 96u);
    EXPECT_EQ(shot.height(), 64u);
    EXPECT_EQ(readFile(dir / "stderr.txt").find("cannot"), std::string::npos) << readFile(dir / "stderr.txt");
  }

  static XvfbServer server;
};

XvfbServer ProgramWindowTest::server;

TEST_F(ProgramWindowTest, ClosingTheWindowEndsNormallyAndSavesTheLastFrame) {
  const auto dir = freshDirectory("window-close");
  const pid_t pid = startWindowed(dir);
  ASSERT_TRUE(closeXWindow(server.name(), "Window run"));
  EXPECT_EQ(finish(pid), 0);
  expectOrderlyEndWithPicture(dir);
}

TEST_F(ProgramWindowTest, StopSignalsInAWindowEndTheRunThroughTheNormalShutDown) {
  for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGINT, 130}}) {
    const auto dir = freshDirectory("window-signal-" + std::to_string(signal));
    const pid_t pid = startWindowed(dir);
    kill(pid, signal);
    EXPECT_EQ(finish(pid), status) << signal;
    expectOrderlyEndWithPicture(dir);
  }
}

}  // namespace
