#include "app/LaunchOptions.h"

#include <gtest/gtest.h>

namespace {

LaunchOptions parseOk(const std::vector<std::string>& arguments) {
  LaunchOptions options;
  std::string error;
  EXPECT_TRUE(parseLaunchOptions(arguments, options, error)) << error;
  EXPECT_TRUE(error.empty());
  return options;
}

TEST(LaunchOptionsTest, NoArgumentsKeepTheInteractiveDefaults) {
  const LaunchOptions options = parseOk({});
  EXPECT_EQ(options.settingsFile, "Test.set");
  EXPECT_FALSE(options.headless);
  EXPECT_TRUE(options.contextName.empty());
  EXPECT_EQ(options.frames, 0);
  EXPECT_EQ(options.fixedStepMs, 0.0);
  EXPECT_FALSE(options.bench);
  EXPECT_EQ(options.device, LaunchOptions::DeviceKind::Gl);
  EXPECT_FALSE(options.help);
}

TEST(LaunchOptionsTest, EveryOptionReadsItsValue) {
  const LaunchOptions options =
      parseOk({"--settings", "other.set", "--headless", "--context", "TerrainContext", "--frames", "10",
               "--fixed-step", "16.5", "--screenshot", "shot.png", "--input", "keys.txt", "--list"});
  EXPECT_EQ(options.settingsFile, "other.set");
  EXPECT_TRUE(options.settingsGiven);
  EXPECT_TRUE(options.headless);
  EXPECT_EQ(options.contextName, "TerrainContext");
  EXPECT_EQ(options.frames, 10);
  EXPECT_DOUBLE_EQ(options.fixedStepMs, 16.5);
  EXPECT_EQ(options.screenshotFile, "shot.png");
  EXPECT_EQ(options.inputScript, "keys.txt");
  EXPECT_TRUE(options.list);

  const LaunchOptions bench =
      parseOk({"--bench", "Md3Context", "--bench-json", "out.json", "--device", "recording"});
  EXPECT_FALSE(bench.settingsGiven);
  EXPECT_TRUE(bench.bench);
  EXPECT_EQ(bench.benchContext, "Md3Context");
  EXPECT_EQ(bench.benchJsonFile, "out.json");
  EXPECT_EQ(bench.device, LaunchOptions::DeviceKind::Recording);

  const LaunchOptions tour = parseOk({"--tour", "pictures", "--cycle-first", "--fixed-step", "1000"});
  EXPECT_EQ(tour.tourDirectory, "pictures");
  EXPECT_TRUE(tour.cycleFirst);
  EXPECT_DOUBLE_EQ(tour.fixedStepMs, 1000.0);
}

TEST(LaunchOptionsTest, OptionsThatContradictEachOtherAreRefusedWithTheReason) {
  struct Case {
    std::vector<std::string> arguments;
    const char* reason;
  };
  const Case cases[] = {
      {{"--tour", "t", "--bench"}, "--bench and --tour cannot be combined"},
      {{"--tour", "t", "--context", "Md3Context"}, "--context cannot choose one"},
      {{"--tour", "t", "--frames", "5"}, "--frames cannot change it"},
      {{"--tour", "t", "--screenshot", "s.png"}, "it takes no --screenshot"},
      {{"--bench", "--screenshot", "s.png"}, "it takes no --screenshot"},
      {{"--bench", "--frames", "5"}, "--frames cannot change it"},
      {{"--bench", "--context", "Md3Context"}, "not --context"},
      {{"--screenshot", "s.png", "--device", "recording"}, "would save a blank picture"},
      {{"--device", "recording", "--tour", "t"}, "would save blank pictures"},
      {{"--cycle-first"}, "--cycle-first needs --tour"},
      {{"--bench-json", "b.json"}, "--bench-json needs --bench"},
  };
  for (const Case& c : cases) {
    LaunchOptions options;
    std::string error;
    EXPECT_FALSE(parseLaunchOptions(c.arguments, options, error)) << c.arguments[0];
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(LaunchOptionsTest, BenchNameIsOptional) {
  const LaunchOptions last = parseOk({"--bench"});
  EXPECT_TRUE(last.bench);
  EXPECT_TRUE(last.benchContext.empty());
  // An option right after --bench is not taken as the context name.
  const LaunchOptions followed = parseOk({"--bench", "--headless"});
  EXPECT_TRUE(followed.bench);
  EXPECT_TRUE(followed.benchContext.empty());
  EXPECT_TRUE(followed.headless);
}

TEST(LaunchOptionsTest, TourAndHelp) {
  const LaunchOptions options = parseOk({"--tour", "pictures", "--help"});
  EXPECT_EQ(options.tourDirectory, "pictures");
  EXPECT_TRUE(options.help);
}

TEST(LaunchOptionsTest, MalformedCommandLinesAreRefused) {
  const std::vector<std::vector<std::string>> cases = {
      {"--frames"},                    // value missing
      {"--frames", "0"},               // not positive
      {"--frames", "-3"},
      {"--frames", "12x"},             // trailing garbage
      {"--frames", "99999999999"},     // out of range
      {"--fixed-step", "0"},
      {"--fixed-step", "-20"},
      {"--fixed-step", "abc"},
      {"--fixed-step", "nan"},
      {"--fixed-step", "inf"},
      {"--fixed-step", "1000.5"},      // more than a second per frame
      {"--fixed-step", "1e308"},
      {"--settings", "--headless"},    // an option is not a value
      {"--device", "vulkan"},
      {"--device"},
      {"--context"},
      {"--tour", "dir", "--bench"},    // two run modes at once
      {"--bench-json", "out.json"},    // JSON without a benchmark
      {"--unknown"},
      {"stray"},
  };
  for (const auto& arguments : cases) {
    LaunchOptions options;
    std::string error;
    std::string joined;
    for (const auto& a : arguments) joined += a + " ";
    EXPECT_FALSE(parseLaunchOptions(arguments, options, error)) << joined;
    EXPECT_FALSE(error.empty()) << joined;
  }
}

TEST(LaunchOptionsTest, ArgvFormSkipsTheProgramName) {
  const char* argv[] = {"testbed", "--frames", "3", "--headless"};
  LaunchOptions options;
  std::string error;
  ASSERT_TRUE(parseLaunchOptions(4, argv, options, error)) << error;
  EXPECT_EQ(options.frames, 3);
  EXPECT_TRUE(options.headless);
}

TEST(LaunchOptionsTest, UsageNamesEveryOption) {
  const std::string usage = launchUsage();
  for (const char* option : {"--settings", "--headless", "--context", "--frames", "--fixed-step",
                             "--screenshot", "--tour", "--input", "--bench", "--bench-json", "--device",
                             "--cycle-first", "--list", "--help"}) {
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  }
}

}  // namespace
