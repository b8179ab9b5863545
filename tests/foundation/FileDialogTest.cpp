#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "foundation/FileDialog.h"
#include "foundation/LogCapture.h"

namespace {

// Sets (or, with nullptr, removes) an environment variable for the test's lifetime.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name(name) {
    if (const char* old = std::getenv(name)) previous = old, hadValue = true;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (hadValue) {
      setenv(name, previous.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  const char* name;
  std::string previous;
  bool hadValue = false;
};

// A display as far as the dialog can tell; the stand-in programs never open a window.
class FileDialogTest : public ::testing::Test {
 protected:
  ScopedVariable display{"DISPLAY", ":99"};

  // Polls as the frame loop would until the dialog has ended (or 20 s have passed).
  static FileDialog::State waitForEnd(FileDialog& dialog, std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    FileDialog::State state = dialog.poll(path);
    while (state == FileDialog::State::Open && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      state = dialog.poll(path);
    }
    return state;
  }
};

TEST_F(FileDialogTest, ZenityIsAskedForOneFilteredFile) {
  const std::vector<std::string> expected = {"zenity", "--file-selection", "--title=Open",
                                             "--file-filter=Lightwave scenes (*.lws) | *.lws"};
  EXPECT_EQ(FileDialog::zenityCommand("Open", "Lightwave scenes (*.lws) | *.lws"), expected);
}

TEST_F(FileDialogTest, ChosenPathArrivesAfterFramesOfWaiting) {
  // The stand-in takes a moment, as a user would: the frames meanwhile see the dialog open.
  FileDialog dialog({"sh", "-c", "sleep 0.3; printf '%s\\n' '/tmp/my scenes/boat.lws'"});
  ASSERT_TRUE(dialog.open());
  EXPECT_TRUE(dialog.isOpen());
  std::string path;
  EXPECT_EQ(dialog.poll(path), FileDialog::State::Open);
  EXPECT_FALSE(dialog.open());  // one at a time
  EXPECT_EQ(waitForEnd(dialog, path), FileDialog::State::Chosen);
  EXPECT_EQ(path, "/tmp/my scenes/boat.lws");
  EXPECT_FALSE(dialog.isOpen());
  EXPECT_EQ(dialog.poll(path), FileDialog::State::Idle);
  // And it can be opened again.
  ASSERT_TRUE(dialog.open());
  EXPECT_EQ(waitForEnd(dialog, path), FileDialog::State::Chosen);
}

TEST_F(FileDialogTest, OutcomesOfTheProgram) {
  struct Case {
    const char* script;
    FileDialog::State state;
    const char* logged;
  };
  const Case cases[] = {
      {"exit 1", FileDialog::State::Cancelled, ""},
      {"exit 0", FileDialog::State::Cancelled, ""},  // nothing chosen
      {"echo '/a/b.lws'; exit 5", FileDialog::State::Failed, "Open-file dialog failed: sh ended with status 5"},
      {"kill -TERM $$", FileDialog::State::Failed, "ended with signal 15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    LogCapture log;
    FileDialog dialog({"sh", "-c", c.script});
    ASSERT_TRUE(dialog.open());
    std::string path = "unchanged";
    EXPECT_EQ(waitForEnd(dialog, path), c.state);
    EXPECT_EQ(path, "unchanged");
    if (*c.logged) {
      EXPECT_TRUE(log.contains(c.logged)) << log.text();
      EXPECT_EQ(log.messages().size(), 1u);
    } else {
      EXPECT_TRUE(log.messages().empty()) << log.text();
    }
  }
}

TEST_F(FileDialogTest, MissingProgramOrDisplayIsOneLogLine) {
  {
    LogCapture log;
    FileDialog dialog({"testbed-no-such-dialog-program", "--file-selection"});
    EXPECT_FALSE(dialog.open());
    EXPECT_FALSE(dialog.isOpen());
    std::string path;
    EXPECT_EQ(dialog.poll(path), FileDialog::State::Idle);
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_TRUE(log.contains("Open-file dialog unavailable: testbed-no-such-dialog-program not found"));
  }
  {
    ScopedVariable noX11("DISPLAY", nullptr);
    ScopedVariable noWayland("WAYLAND_DISPLAY", "");
    LogCapture log;
    FileDialog dialog({"sh", "-c", "echo /a.lws"});
    EXPECT_FALSE(dialog.open());
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_TRUE(log.contains("Open-file dialog unavailable: no display"));
  }
}

TEST_F(FileDialogTest, ClosingTheOwnerEndsAnOpenDialog) {
  // The stand-in leaves its process number behind and would then wait half a minute.
  const std::string pidFile = std::filesystem::temp_directory_path() /
                              ("testbed-dialog-" + std::to_string(::getpid()) + ".pid");
  std::filesystem::remove(pidFile);
  auto dialog = std::make_unique<FileDialog>(
      std::vector<std::string>{"sh", "-c", "echo $$ > '" + pidFile + ".tmp' && mv '" + pidFile + ".tmp' '" +
                                               pidFile + "' && exec sleep 30"});
  ASSERT_TRUE(dialog->open());
  std::string path;
  for (int i = 0; i < 4000 && !std::filesystem::exists(pidFile); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  int child = 0;
  std::ifstream(pidFile) >> child;
  ASSERT_GT(child, 0);
  EXPECT_EQ(kill(child, 0), 0);  // running
  dialog.reset();
  // Ended and reaped: the process number no longer exists.
  EXPECT_EQ(kill(child, 0), -1);
  EXPECT_EQ(errno, ESRCH);
  std::filesystem::remove(pidFile);
}

}  // namespace
