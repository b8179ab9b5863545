#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

// Sends the close request a window manager sends (WM_DELETE_WINDOW) to the top-level window with
// that title on the X display; false when there is no such window. (Xlib's macros stay in its own
// file.)
bool closeXWindow(const std::string& display, const std::string& title);

// A private X server for the window tests: started on a free display number, stopped on request.
class XvfbServer {
 public:
  // Starts Xvfb with one 1024 x 768 screen; false when it cannot be started.
  bool start() {
    for (int n = 90 + getpid() % 100; n < 400 && pid == 0; n += 7) {
      if (std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock")) continue;
      const std::string name = ":" + std::to_string(n);
      const pid_t child = fork();
      if (child == 0) {
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
      }
      const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
      for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) break;  // the server gave up (display taken)
      }
      if (std::filesystem::exists(socket)) {
        pid = child;
        display = name;
      } else {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
      }
    }
    return pid != 0;
  }

  void stop() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
      pid = 0;
    }
  }

  // ":N" once started.
  const std::string& name() const { return display; }
  bool running() const { return pid != 0; }

 private:
  pid_t pid = 0;
  std::string display;
};
