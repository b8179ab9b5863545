#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

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

// Runs `read`, which ought to refuse the named pipe at `pipePath` without opening it. Should
// `read` block opening the pipe instead, the guard keeps giving the pipe a writer that closes at
// once after `patience` has passed, so the read sees an empty pipe and returns rather than hanging
// the test. True when `read` returned without that help.
inline bool returnsWithoutWaitingOnPipe(const std::string& pipePath, const std::function<void()>& read,
                                        std::chrono::milliseconds patience = std::chrono::seconds(5)) {
  std::atomic<bool> done{false};
  std::atomic<bool> released{false};
  std::thread guard([&] {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (std::chrono::steady_clock::now() < deadline) continue;
      // Succeeds only while someone waits to read; then that open returns.
      const int fd = ::open(pipePath.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        released = true;
        ::close(fd);
      }
    }
  });
  read();
  done = true;
  guard.join();
  return !released;
}

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
