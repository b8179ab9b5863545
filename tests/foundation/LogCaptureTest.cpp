#include "foundation/LogCapture.h"

#include <gtest/gtest.h>

#include <regex>

#include "foundation/Logger.h"

namespace {

TEST(LogCapture, SeesTheLinesWrittenDuringItsLifetime) {
  Logger::instance().line(1) << "before the capture" << std::endl;
  std::string text;
  {
    LogCapture capture;
    Logger::instance().line(2) << "Image creation failed" << std::endl;
    Logger::instance().line(1) << "Loaded \"" << "a.tga" << "\" " << 42 << std::endl;
    std::ostream& open = Logger::instance().line(1);
    open << "unfinished";
    EXPECT_EQ(capture.messages(),
              (std::vector<std::string>{"Image creation failed", "Loaded \"a.tga\" 42"}));
    EXPECT_TRUE(capture.contains("creation"));
    EXPECT_FALSE(capture.contains("unfinished"));  // not a complete line yet
    EXPECT_FALSE(capture.contains("before"));
    text = capture.text();
    open << std::endl;
    EXPECT_TRUE(capture.contains("unfinished"));
  }
  EXPECT_TRUE(std::regex_search(text, std::regex("^ERROR @ [0-9.e+-]{5,}s: Image creation failed\n")))
      << text;
  Logger::instance().line(1) << "after the capture" << std::endl;
}

TEST(LogCapture, CapturesNest) {
  LogCapture outer;
  Logger::instance().line(1) << "one" << std::endl;
  {
    LogCapture inner;
    Logger::instance().line(1) << "two" << std::endl;
    EXPECT_EQ(inner.messages(), (std::vector<std::string>{"two"}));
  }
  Logger::instance().line(1) << "three" << std::endl;
  EXPECT_EQ(outer.messages(), (std::vector<std::string>{"one", "two", "three"}));
}

TEST(LogCapture, NothingIsCollectedAfterTheEnd) {
  std::string text;
  {
    LogCapture capture;
    Logger::instance().line(1) << "inside" << std::endl;
    text = capture.text();
  }
  std::string sink;
  std::string* previous = Logger::copyTo(&sink);
  EXPECT_EQ(previous, nullptr);
  Logger::instance().line(1) << "outside" << std::endl;
  Logger::copyTo(nullptr);
  EXPECT_NE(sink.find("outside"), std::string::npos);
  EXPECT_EQ(text.find("outside"), std::string::npos);
}

}  // namespace
