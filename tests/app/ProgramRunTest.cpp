#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramRunSupport.h"

namespace {

using namespace program_run;

const char* kSettings =
    "// settings for a short headless run\n"
    "set windowName Headless run\n"
    "set resolutionX 96\n"
    "set resolutionY 64\n";

// Lines of the log in order; positions of each expected piece must increase.
void expectInOrder(const std::string& log, const std::vector<std::string>& pieces) {
  std::size_t from = 0;
  for (const std::string& piece : pieces) {
    const std::size_t at = log.find(piece, from);
    ASSERT_NE(at, std::string::npos) << "missing (or out of order): " << piece << "\nlog:\n" << log;
    from = at + piece.size();
  }
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(ProgramRunTest, HeadlessTenFramesLogStartUpAndShutDownInOrder) {
  const auto dir = freshDirectory("headless10");
  writeFile(dir / "Test.set", kSettings);
  const Result result = run(dir, "--headless --frames 10");
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string log = readFile(dir / "GameEngine.log");
  expectInOrder(log, {"Begin logging", "Application path: " + dir.string() + "/\n",
                      "Loading settings from \"Test.set\"", "Initializing Direct3D ...",
                      "Obtained Direct3D interface.", "Created Direct3D device.", "Created print font.",
                      "Direct3D initialization complete.", "Shutting down Direct3D ...",
                      "Direct3D shut down complete."});
  // The renderer's farewell closes the log.
  const std::vector<std::string> logLines = lines(log);
  ASSERT_GE(logLines.size(), 2u);
  EXPECT_NE(logLines[logLines.size() - 2].find("Shutting down Direct3D ..."), std::string::npos);
  EXPECT_NE(logLines.back().find("Direct3D shut down complete."), std::string::npos);
  // Each appears once: one start, one shut-down.
  EXPECT_EQ(log.find("Initializing Direct3D ..."), log.rfind("Initializing Direct3D ..."));
  EXPECT_EQ(log.find("Shutting down Direct3D ..."), log.rfind("Shutting down Direct3D ..."));
}

TEST(ProgramRunTest, WithoutDisplayTheProgramRunsOffScreenByItself) {
  const auto dir = freshDirectory("nodisplay");
  writeFile(dir / "Test.set", kSettings);
  // No --headless: there is no display, so the off-screen device is used all the same.
  const Result result = run(dir, "--frames 3 --screenshot shot.png");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "shot.png"));
  const std::string log = readFile(dir / "GameEngine.log");
  EXPECT_NE(log.find("Direct3D shut down complete."), std::string::npos);
}

TEST(ProgramRunTest, RecordingDeviceRunsWithoutOpenGl) {
  const auto dir = freshDirectory("recording");
  writeFile(dir / "Test.set", kSettings);
  const Result result = run(dir, "--device recording --frames 20 --context TerrainContext");
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string log = readFile(dir / "GameEngine.log");
  expectInOrder(log, {"Initializing Direct3D ...", "Direct3D initialization complete.",
                      "Direct3D shut down complete."});
}

TEST(ProgramRunTest, ArgumentErrorsPrintUsageAndExitWithTwo) {
  const auto dir = freshDirectory("badargs");
  writeFile(dir / "Test.set", kSettings);
  const std::vector<std::string> cases = {"--frames 0", "--bogus", "--device vulkan",
                                          "--context NoSuchContext", "--bench NoSuchContext",
                                          "--input missing-script.txt", "--frames"};
  for (const std::string& arguments : cases) {
    const Result result = run(dir, arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_NE(result.err.find("usage: testbed"), std::string::npos) << arguments << "\n" << result.err;
  }
}

TEST(ProgramRunTest, ResultsThatCannotBeWrittenFailWithOneAfterAnOrderlyShutDown) {
  const auto dir = freshDirectory("unwritable");
  writeFile(dir / "Test.set", kSettings);
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {"--headless --frames 2 --screenshot missing/dir/shot.png", "cannot write"},
      {"--device recording --bench BumpContext --bench-json missing/dir/bench.json", "cannot write"},
  };
  for (const Case& c : cases) {
    const Result result = run(dir, c.arguments);
    EXPECT_EQ(result.status, 1) << c.arguments;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << "\n" << result.err;
    EXPECT_NE(readFile(dir / "GameEngine.log").find("Direct3D shut down complete."), std::string::npos)
        << c.arguments;
  }
}

TEST(ProgramRunTest, HelpPrintsUsageAndSucceeds) {
  const auto dir = freshDirectory("help");
  const Result result = run(dir, "--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("usage: testbed"), std::string::npos);
  EXPECT_NE(result.out.find("--bench-json"), std::string::npos);
}

TEST(ProgramRunTest, BenchPrintsOneRowPerContextAndWritesJson) {
  const auto dir = freshDirectory("bench");
  writeFile(dir / "Test.set", kSettings);
  const Result result = run(dir, "--device recording --bench BumpContext --bench-json bench.json");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("BumpContext"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("Md3Context"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("start-up to first presented frame"), std::string::npos);
  const std::string json = readFile(dir / "bench.json");
  EXPECT_NE(json.find("\"name\": \"BumpContext\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"frames\": 200"), std::string::npos) << json;
  EXPECT_NE(json.find("\"device\": \"recording\""), std::string::npos) << json;
}

}  // namespace
