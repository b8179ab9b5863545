#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "foundation/Clock.h"
#include "foundation/InputSource.h"
#include "foundation/Keyboard.h"
#include "foundation/Mouse.h"
#include "foundation/Timer.h"

namespace testsupport {

// A fresh directory below the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("testbed-foundation-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path() const { return path_.string(); }
  // Writes text to the relative path below the directory, creating folders on the way.
  std::string write(const std::string& relative, const std::string& text) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

// Changes the working directory for its lifetime.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& directory)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(directory);
  }
  ~ScopedWorkingDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Time under the test's control: every Clock reads nowMs while this lives.
class ManualTime {
 public:
  ManualTime(double startMs = 1000.0) {
    nowMs = startMs;
    Clock::setTimeSource([] { return nowMs; });
  }
  ~ManualTime() { Clock::setTimeSource(nullptr); }
  void set(double ms) { nowMs = ms; }
  void advance(double ms) { nowMs += ms; }

 private:
  static inline double nowMs = 0.0;
};

// Frames at a fixed 100 per second, input from the given source. The timer and both devices
// start fresh and are left fresh for the next test.
class InputFrames : public ::testing::Test {
 protected:
  // Only the reference is kept, so the source may be a member the fixture constructs later.
  explicit InputFrames(InputSource& source) : source_(source) {}
  void SetUp() override {
    Timer::instance().reset();
    Timer::instance().setFixedStep(10.0);
    Keyboard::instance().reset();
    Mouse::instance().reset();
    InputSource::install(&source_);
  }
  void TearDown() override {
    InputSource::install(nullptr);
    Keyboard::instance().reset();
    Mouse::instance().reset();
    Timer::instance().setFixedStep(0.0);
    Timer::instance().reset();
  }
  // Starts the next frame: the timer ticks, then the devices are polled.
  void nextFrame() {
    Timer::instance().tick();
    Mouse::instance().poll();
    Keyboard::instance().poll();
  }

 private:
  InputSource& source_;
};

}  // namespace testsupport
