#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "ProgramRunSupport.h"
#include "image/Image.h"

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

const char* kPreviousLog = "INFO @ 00000s: the previous run's log\n";

TEST(ProgramRunTest, ArgumentErrorsSayWhyExitWithTwoAndLeaveThePreviousLog) {
  const auto dir = freshDirectory("badargs");
  writeFile(dir / "Test.set", kSettings);
  writeFile(dir / "Test.txt", kSettings);
  std::filesystem::create_directories(dir / "folder.set");
  std::filesystem::create_directories(dir / "scripts");
  writeFile(dir / "moves.txt", "# camera\n1 key down A\n2 mouse move 1e39 0\n");
  struct Case {
    std::string arguments;
    std::string reason;
  };
  const Case cases[] = {
      {"--frames 0", "--frames needs a positive whole number"},
      {"--frames", "--frames needs a value"},
      {"--bogus", "unknown argument \"--bogus\""},
      {"--device vulkan", "--device must be gl or recording"},
      {"--fixed-step 1e308", "at most 1000"},
      {"--context NoSuchContext",
       "no context named \"NoSuchContext\"; the contexts are BumpContext (0), Md3Context (1), "
       "BumpMd3Context (2), TestContext (3), ParticleContext (4), ShadowVolumeContext (5), "
       "LwsImportContext (6), TerrainContext (7), ChoppyWavesContext (8), Water2DContext (9), "
       "NewaveContext (10), GerstnerWavesContext (11)"},
      {"--context 12", "no context named \"12\""},
      {"--bench NoSuchContext", "no context named \"NoSuchContext\""},
      {"--input missing-script.txt", "--input \"missing-script.txt\": no such file"},
      {"--input scripts", "--input \"scripts\": it is a folder"},
      {"--input moves.txt",
       "--input \"moves.txt\" line 3: number out of range (at most 100000 in size): \"2 mouse move 1e39 0\""},
      {"--settings missing.set", "--settings \"missing.set\": no such file"},
      {"--settings Test.txt", "a settings file's name must end in \".set\""},
      {"--settings folder.set", "--settings \"folder.set\": it is a folder"},
      {"--screenshot shot.png --device recording", "would save a blank picture"},
      {"--tour pictures --frames 3", "--frames cannot change it"},
  };
  for (const Case& c : cases) {
    writeFile(dir / "GameEngine.log", kPreviousLog);
    const Result result = run(dir, c.arguments);
    EXPECT_EQ(result.status, 2) << c.arguments;
    EXPECT_NE(result.err.find("testbed: "), std::string::npos) << c.arguments;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << c.arguments << "\n" << result.err;
    EXPECT_NE(result.err.find("usage: testbed"), std::string::npos) << c.arguments << "\n" << result.err;
    EXPECT_EQ(readFile(dir / "GameEngine.log"), kPreviousLog) << c.arguments;
    EXPECT_FALSE(std::filesystem::exists(dir / "pictures")) << c.arguments;
  }
}

TEST(ProgramRunTest, SettingsThatCannotBeUsedAreReportedWithWhatIsUsedInstead) {
  struct Case {
    const char* settings;  // null: no Test.set at all
    std::vector<std::string> reports;
  };
  const Case cases[] = {
      {nullptr,
       {"Couldn't read the settings file \"Test.set\" in ", "Setting \"data\" is not set",
        "Setting \"resolutionX\" is not set: using 800", "Setting \"resolutionY\" is not set: using 600"}},
      {"set data data\nset resolutionX\nset resolutionY 1e30\n",
       {"Setting \"resolutionX\" has no value: using 800",
        "Setting \"resolutionY\" is \"1e30\", more than 4320: using 4320"}},
      {"set data data\nset resolutionX -640\nset resolutionY many\n",
       {"Setting \"resolutionX\" is \"-640\", less than one pixel: using 800",
        "Setting \"resolutionY\" is \"many\", not a number: using 600"}},
  };
  for (const Case& c : cases) {
    const auto dir = freshDirectory("settings");
    if (c.settings) writeFile(dir / "Test.set", c.settings);
    const Result result = run(dir, "--device recording --frames 1");
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string log = readFile(dir / "GameEngine.log");
    for (const std::string& report : c.reports) {
      EXPECT_NE(result.err.find("testbed: " + report), std::string::npos) << report << "\n" << result.err;
      EXPECT_NE(log.find("ERROR @ "), std::string::npos);
      EXPECT_NE(log.find(report), std::string::npos) << report << "\n" << log;
    }
  }
}

TEST(ProgramRunTest, HelpAndListLeaveThePreviousLogAlone) {
  const auto dir = freshDirectory("help");
  writeFile(dir / "GameEngine.log", kPreviousLog);
  const Result help = run(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: testbed"), std::string::npos);
  EXPECT_NE(help.out.find("--bench-json"), std::string::npos);
  const Result list = run(dir, "--list");
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out,
            "BumpContext\nMd3Context\nBumpMd3Context\nTestContext\nParticleContext\nShadowVolumeContext\n"
            "LwsImportContext\nTerrainContext\nChoppyWavesContext\nWater2DContext\nNewaveContext\n"
            "GerstnerWavesContext\n");
  EXPECT_EQ(readFile(dir / "GameEngine.log"), kPreviousLog);
  // A run that starts the engine does start a new log.
  writeFile(dir / "Test.set", kSettings);
  ASSERT_EQ(run(dir, "--device recording --frames 1").status, 0);
  EXPECT_EQ(readFile(dir / "GameEngine.log").find("the previous run's log"), std::string::npos);
}

TEST(ProgramRunTest, F12SavesTheFrameNamedAfterTheContextAndLogsItsPath) {
  const auto dir = freshDirectory("f12");
  writeFile(dir / "Test.set", kSettings);
  writeFile(dir / "f12.txt", "2 key down F12\n3 key up F12\n");
  const Result result = run(dir, "--headless --context ParticleContext --frames 5 --input f12.txt");
  ASSERT_EQ(result.status, 0) << result.err;
  std::vector<std::string> shots;
  for (const std::string& name : fileNames(dir)) {
    if (name.rfind("ParticleContext-", 0) == 0) shots.push_back(name);
  }
  ASSERT_EQ(shots.size(), 1u);
  // ParticleContext-YYYYMMDD-HHMMSS.png
  EXPECT_EQ(shots[0].size(), std::string("ParticleContext-20240101-120000.png").size()) << shots[0];
  const std::string path = std::filesystem::canonical(dir).string() + "/" + shots[0];
  EXPECT_NE(readFile(dir / "GameEngine.log").find("Screenshot saved to \"" + path + "\""), std::string::npos);
  EXPECT_NE(result.out.find("Screenshot saved to " + path), std::string::npos) << result.out;
  Image shot(path);
  EXPECT_EQ(shot.width(), 96u);
  EXPECT_EQ(shot.height(), 64u);
}

TEST(ProgramRunTest, KeysPrintsEveryContextsKeysAsATable) {
  const auto dir = freshDirectory("keys");
  writeFile(dir / "GameEngine.log", kPreviousLog);
  const Result result = run(dir, "--keys");
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> rows = lines(result.out);
  ASSERT_EQ(rows.size(), 19u) << result.out;
  EXPECT_EQ(rows[0], "| context | keys (besides Escape, Shift + Escape, F1 and F12) |");
  EXPECT_EQ(rows[6], "| ParticleContext | mouse: orbit camera |");
  EXPECT_EQ(rows[10], "| ChoppyWavesContext | mouse: orbit camera; W / S: higher / lower waves (held: repeats); "
                      "A / D: smoother / choppier crests (held: repeats) |");
  EXPECT_EQ(rows[15], "Orbit camera:");
  EXPECT_EQ(rows[16], "- Left drag: orbit the camera");
  EXPECT_EQ(readFile(dir / "GameEngine.log"), kPreviousLog);
}

TEST(ProgramRunTest, ContextsGoByTheirNameInAnyCaseOrTheirIndex) {
  const auto dir = freshDirectory("names");
  writeFile(dir / "Test.set", kSettings);
  const std::pair<std::string, std::string> cases[] = {
      {"particlecontext", "ParticleContext"}, {"11", "GerstnerWavesContext"}, {"0", "BumpContext"}};
  for (const auto& [given, name] : cases) {
    const Result result = run(dir, "--device recording --bench " + given);
    ASSERT_EQ(result.status, 0) << given << "\n" << result.err;
    EXPECT_NE(result.out.find("\n" + name + " "), std::string::npos) << given << "\n" << result.out;
  }
  EXPECT_EQ(run(dir, "--device recording --frames 2 --context WATER2DCONTEXT").status, 0);
}

// Pre-checked places that cannot take a result: the run stops before the engine starts.
TEST(ProgramRunTest, ResultsThatCannotBeWrittenAreRefusedBeforeAnyFrame) {
  struct Case {
    std::string arguments;
    std::string path;
    std::string reason;
  };
  std::vector<Case> cases = {
      {"--headless --frames 2 --screenshot /dev/full", "/dev/full", "it is not a plain file"},
      {"--device recording --bench BumpContext --bench-json /dev/full", "/dev/full", "it is not a plain file"},
      {"--headless --frames 2 --screenshot missing/dir/shot.png", "missing/dir/shot.png",
       "its folder \"missing/dir\" cannot be used: No such file or directory"},
      {"--headless --frames 2 --screenshot afile/shot.png", "afile/shot.png", "\"afile\" is not a folder"},
      {"--headless --frames 2 --screenshot adir", "adir", "it is a folder"},
      {"--headless --tour afile/tour", "afile/tour", "the folder cannot be made"},
      // Even for root, nothing new can be made in /proc.
      {"--headless --frames 2 --screenshot /proc/testbed-shot.png", "/proc/testbed-shot.png",
       "no file can be made in \"/proc\""},
  };
  if (geteuid() != 0) {
    cases.push_back({"--headless --frames 2 --screenshot locked/shot.png", "locked/shot.png",
                     "no file can be made in \"locked\": Permission denied"});
  }
  for (const Case& c : cases) {
    const auto dir = freshDirectory("unwritable");
    writeFile(dir / "Test.set", kSettings);
    writeFile(dir / "afile", "a file, not a folder");
    std::filesystem::create_directories(dir / "adir");
    std::filesystem::create_directories(dir / "locked");
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const Result result = run(dir, c.arguments);
    std::filesystem::permissions(dir / "locked", std::filesystem::perms::owner_all);
    EXPECT_EQ(result.status, 1) << c.arguments;
    EXPECT_NE(result.err.find("testbed: cannot write \"" + c.path + "\": " + c.reason), std::string::npos)
        << c.arguments << "\n" << result.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "GameEngine.log")) << c.arguments << ": the engine started";
    EXPECT_EQ(fileNames(dir / "adir").size(), 0u) << c.arguments;
  }
}

// A disk that fills while the pictures are written: the limit on file size stands in for it.
TEST(ProgramRunTest, ADiskThatFillsDuringTheTourLeavesNoCutOffPicture) {
  const auto dir = freshDirectory("fulldisk");
  writeFile(dir / "Test.set", kSettings);
  // /bin/sh counts in blocks of 512 bytes: no file may grow past 4 KiB, and the signal that would
  // end the program at the limit is ignored, so the writes fail as on a full disk.
  const Result result = run(dir, "--headless --tour tour", "DISPLAY= WAYLAND_DISPLAY=", "trap '' XFSZ; ulimit -f 8;");
  EXPECT_EQ(result.status, 1) << result.err;
  // The first picture that did not fit is named, and the tour stopped there.
  const std::string prefix = "testbed: cannot write \"tour/";
  const std::size_t at = result.err.find(prefix);
  ASSERT_NE(at, std::string::npos) << result.err;
  const std::string failed = result.err.substr(at + prefix.size(), result.err.find('"', at + prefix.size()) - at - prefix.size());
  EXPECT_NE(result.err.find(failed + "\": File too large"), std::string::npos) << result.err;
  // Every picture left is whole; the one that failed and its temporary file are absent.
  for (const std::string& name : fileNames(dir / "tour")) {
    EXPECT_NE(name, failed);
    ASSERT_EQ(name.substr(name.size() - 4), ".png") << name;
    Image picture((dir / "tour" / name).string());
    EXPECT_EQ(picture.width(), 96u) << name;
    EXPECT_EQ(picture.height(), 64u) << name;
  }
  const std::string log = readFile(dir / "GameEngine.log");
  EXPECT_NE(log.find("Couldn't write \"tour/" + failed + "\": File too large"), std::string::npos) << log;
  EXPECT_NE(log.find("Direct3D shut down complete."), std::string::npos) << log;
}

TEST(ProgramRunTest, StopSignalsEndTheRunThroughTheNormalShutDown) {
  struct Case {
    int signal;
    int status;
    const char* name;
  };
  for (const Case c : {Case{SIGINT, 130, "SIGINT"}, Case{SIGTERM, 143, "SIGTERM"}}) {
    const auto dir = freshDirectory(std::string("signal-") + c.name);
    writeFile(dir / "Test.set", kSettings);
    const pid_t pid = start(dir, {"--headless", "--context", "ParticleContext", "--screenshot", "shot.png"});
    ASSERT_TRUE(waitForText(dir / "GameEngine.log", "First frame presented")) << c.name;
    kill(pid, c.signal);
    EXPECT_EQ(finish(pid), c.status) << c.name;
    const std::string log = readFile(dir / "GameEngine.log");
    expectInOrder(log, {std::string("Stopped by ") + c.name, "Saved the frame to \"shot.png\"",
                        "Shutting down Direct3D ...", "Direct3D shut down complete."});
    const std::vector<std::string> logLines = lines(log);
    ASSERT_FALSE(logLines.empty());
    EXPECT_NE(logLines.back().find("Direct3D shut down complete."), std::string::npos) << log;
    EXPECT_NE(readFile(dir / "stderr.txt").find(std::string("stopped by ") + c.name), std::string::npos);
    // The picture is the whole last frame, and nothing temporary is left beside it.
    Image shot((dir / "shot.png").string());
    EXPECT_EQ(shot.width(), 96u) << c.name;
    EXPECT_EQ(shot.height(), 64u) << c.name;
    EXPECT_EQ(fileNames(dir), (std::vector<std::string>{"GameEngine.log", "Test.set", "shot.png", "stderr.txt",
                                                       "stdout.txt"}));
  }
}

TEST(ProgramRunTest, AStoppedBenchmarkWritesNoResults) {
  const auto dir = freshDirectory("signal-bench");
  writeFile(dir / "Test.set", kSettings);
  const pid_t pid = start(dir, {"--device", "recording", "--bench", "--bench-json", "bench.json"});
  ASSERT_TRUE(waitForText(dir / "GameEngine.log", "First frame presented"));
  kill(pid, SIGINT);
  EXPECT_EQ(finish(pid), 130);
  EXPECT_FALSE(std::filesystem::exists(dir / "bench.json"));
  EXPECT_NE(readFile(dir / "stderr.txt").find("the benchmark did not finish: \"bench.json\" not written"),
            std::string::npos);
  EXPECT_NE(readFile(dir / "GameEngine.log").find("Direct3D shut down complete."), std::string::npos);
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
  EXPECT_NE(json.find("\"initMs\": "), std::string::npos) << json;
  // BumpContext names no floor under its update.
  EXPECT_EQ(json.find("\"floor\""), std::string::npos) << json;
}

// The ocean's update is set beside its three bare inverse FFTs, timed in the same frames.
TEST(ProgramRunTest, OceanBenchReportsItsFftFloor) {
  const auto dir = freshDirectory("bench-floor");
  writeFile(dir / "Test.set", kSettings);
  const Result result = run(dir, "--device recording --bench ChoppyWavesContext --bench-json bench.json");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("floor: 3 bare 64 x 64 inverse FFTs (FFTW_ESTIMATE); update median / floor median "),
            std::string::npos)
      << result.out;
  const std::string json = readFile(dir / "bench.json");
  EXPECT_NE(json.find("\"floor\": \"3 bare 64 x 64 inverse FFTs (FFTW_ESTIMATE)\", \"floorMs\": {"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"updateOverFloor\": "), std::string::npos) << json;
}

}  // namespace
