#include "foundation/Logger.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

struct PrefixCase {
  int level;
  double seconds;
  const char* expected;
};

void PrintTo(const PrefixCase& c, std::ostream* os) { *os << "level " << c.level << ", " << c.seconds << " s"; }

class LoggerPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(LoggerPrefix, WritesTagAndZeroPaddedTime) {
  const PrefixCase& c = GetParam();
  std::ostringstream out;
  Logger::writePrefix(out, c.level, c.seconds);
  EXPECT_EQ(out.str(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LoggerPrefix,
    ::testing::Values(PrefixCase{1, 0.05, "INFO @ 00.05s: "}, PrefixCase{1, 2.5, "INFO @ 002.5s: "},
                      PrefixCase{1, 0.0, "INFO @ 00000s: "}, PrefixCase{0, 1.0, "DEBUG @ 00001s: "},
                      PrefixCase{2, 123.456, "ERROR @ 123.5s: "},
                      PrefixCase{2, 9999.0, "ERROR @ 09999s: "},
                      PrefixCase{1, 0.001, "INFO @ 0.001s: "},
                      // Four significant digits: 10000 s and more need the exponent form.
                      PrefixCase{1, 12346.0, "INFO @ 1.235e+04s: "},
                      PrefixCase{1, 20000.0, "INFO @ 2e+04s: "},
                      PrefixCase{1, 9999.6, "INFO @ 1e+04s: "},
                      // Unknown levels: "???" has no blank after it.
                      PrefixCase{7, 0.5, "???000.5s: "}, PrefixCase{-1, 0.0, "???00000s: "},
                      PrefixCase{3, 42.0, "???00042s: "}));

TEST(Logger, NumbersAppendedToALineKeepFourDigitsButNoPadding) {
  std::ostringstream out;
  Logger::writePrefix(out, 1, 0.0);
  out << 3.14159265 << ' ' << 7 << ' ' << 1.5;
  EXPECT_EQ(out.str(), "INFO @ 00000s: 3.142 7 1.5");
}

std::vector<std::string> pieces;
void collectPiece(const char* piece) { pieces.emplace_back(piece); }

class DebugStream : public ::testing::Test {
 protected:
  void SetUp() override {
    debugOut().flush();
    pieces.clear();
    setDebugSink(collectPiece);
  }
  void TearDown() override { setDebugSink(nullptr); }
};

TEST_F(DebugStream, EndlSendsTheCollectedText) {
  debugOut() << "Before: " << 12 << ", After: " << 34 << std::endl;
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0], "Before: 12, After: 34\n");
}

TEST_F(DebugStream, LongTextArrivesInPiecesOfAHundred) {
  const std::string text = std::string(100, 'a') + std::string(100, 'b') + std::string(50, 'c');
  debugOut() << text;
  // Two full pieces went out on overflow; the rest waits for the flush.
  ASSERT_EQ(pieces.size(), 2u);
  debugOut() << std::endl;
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], std::string(100, 'a'));
  EXPECT_EQ(pieces[1], std::string(100, 'b'));
  EXPECT_EQ(pieces[2], std::string(50, 'c') + "\n");
}

TEST_F(DebugStream, FlushWithNothingCollectedSendsNothing) {
  debugOut().flush();
  EXPECT_TRUE(pieces.empty());
}

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

int runProbe(const std::string& directory, const std::string& arguments) {
  const std::string command =
      "cd '" + directory + "' && '" LOG_PROBE_PATH "' " + arguments + " 2>/dev/null";
  return std::system(command.c_str());
}

// The log lines after the banner, the application path and the probe's two lines, without stamps.
std::vector<std::string> linesAfterProbe(const std::string& directory) {
  std::vector<std::string> lines = readLines(directory + "/GameEngine.log");
  std::vector<std::string> texts;
  for (std::size_t i = 6; i < lines.size(); ++i) {
    const std::size_t stamp = lines[i].find("s: ");
    const std::size_t tagEnd = lines[i].find(" @ ");
    texts.push_back(lines[i].substr(0, tagEnd) + ": " + lines[i].substr(stamp + 3));
  }
  return texts;
}

TEST(LogFile, HoldsBannerPathAndOnlyTheLastRun) {
  testsupport::TempDir dir;
  ASSERT_EQ(runProbe(dir.path(), "first"), 0);
  ASSERT_EQ(runProbe(dir.path(), "second"), 0);
  const std::vector<std::string> lines = readLines(dir.path() + "/GameEngine.log");
  ASSERT_EQ(lines.size(), 6u);
  // The banner is written within the first millisecond of the program clock.
  const std::string bannerTime = "INFO @ (00000|0\\.001|0\\.002)s: ";
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(bannerTime + std::string(60, '-')))) << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(bannerTime + "Begin logging"))) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(bannerTime + std::string(60, '-')))) << lines[2];
  const std::string stamp = "[0-9.e+-]{5,}s: ";
  const std::string cwd = std::filesystem::canonical(dir.path()).string();
  EXPECT_TRUE(std::regex_match(lines[3], std::regex("INFO @ " + stamp + "Application path: .*")))
      << lines[3];
  EXPECT_EQ(lines[3].substr(lines[3].find("Application path: ") + 18), cwd + "/");
  EXPECT_TRUE(std::regex_match(lines[4], std::regex("ERROR @ " + stamp + "probe second")))
      << lines[4];
  EXPECT_TRUE(std::regex_match(lines[5], std::regex("INFO @ " + stamp + "path length " +
                                                    std::to_string(cwd.size() + 1))))
      << lines[5];
}

TEST(LogFile, SettingsLoadingIsLoggedOnlyForASetFile) {
  testsupport::TempDir dir;
  dir.write("Test.set", "set a 1\nset b 2\n");
  dir.write("Test.txt", "set a 1\n");
  ASSERT_EQ(runProbe(dir.path(), "s settings Test.set"), 0);
  EXPECT_EQ(linesAfterProbe(dir.path()),
            (std::vector<std::string>{"INFO: Loading settings from \"Test.set\"", "INFO: variables 2"}));
  ASSERT_EQ(runProbe(dir.path(), "s settings Missing.set"), 0);
  EXPECT_EQ(linesAfterProbe(dir.path()),
            (std::vector<std::string>{"INFO: Loading settings from \"Missing.set\"",
                                      "INFO: variables 0"}));
  ASSERT_EQ(runProbe(dir.path(), "s settings Test.txt"), 0);
  EXPECT_EQ(linesAfterProbe(dir.path()), (std::vector<std::string>{"INFO: variables 0"}));
}

TEST(LogFile, MalformedScriptLinesAreLoggedWithTheirNumbers) {
  testsupport::TempDir dir;
  dir.write("tour.txt", "# tour\n1 key down A\n2 key hop A\n\n5 mouse wheel\n");
  ASSERT_EQ(runProbe(dir.path(), "s script tour.txt"), 0);
  EXPECT_EQ(linesAfterProbe(dir.path()),
            (std::vector<std::string>{"ERROR: Input script line 3 not understood: \"2 key hop A\"",
                                      "ERROR: Input script line 5 not understood: \"5 mouse wheel\"",
                                      "INFO: events 1"}));
  ASSERT_EQ(runProbe(dir.path(), "s script absent.txt"), 0);
  EXPECT_EQ(linesAfterProbe(dir.path()),
            (std::vector<std::string>{"ERROR: Couldn't open input script \"absent.txt\"",
                                      "INFO: events 0"}));
}

TEST(LogFile, AnUnwritableLogIsIgnored) {
  testsupport::TempDir dir;
  // A directory in the log's place cannot be opened as a file.
  std::filesystem::create_directory(dir.path() + "/GameEngine.log");
  EXPECT_EQ(runProbe(dir.path(), "blocked"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/GameEngine.log"));
}

}  // namespace
