#include "foundation/FileDialog.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "foundation/Logger.h"

extern char** environ;

namespace {

// A path is short; anything beyond this is not a path and is not kept.
constexpr std::size_t kMaxOutput = 64 * 1024;

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// Ours, with GTK kept from reaching for settings and accessibility services a dialog does not need.
std::vector<std::string> childEnvironment() {
  static const char* const kQuiet[] = {"GSETTINGS_BACKEND=memory", "NO_AT_BRIDGE=1"};
  std::vector<std::string> variables;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string variable = *entry;
    if (variable.rfind("GSETTINGS_BACKEND=", 0) == 0 || variable.rfind("NO_AT_BRIDGE=", 0) == 0) continue;
    variables.push_back(variable);
  }
  for (const char* quiet : kQuiet) variables.emplace_back(quiet);
  return variables;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::vector<std::string> FileDialog::zenityCommand(const std::string& title, const std::string& filter) {
  return {"zenity", "--file-selection", "--title=" + title, "--file-filter=" + filter};
}

FileDialog::FileDialog(std::vector<std::string> command) : programAndArguments(std::move(command)) {}

FileDialog::~FileDialog() {
  if (childId > 0) {
    kill(childId, SIGTERM);
    waitpid(childId, nullptr, 0);
  }
  closeOutput();
}

bool FileDialog::open() {
  if (isOpen() || programAndArguments.empty()) return false;
  const std::string& program = programAndArguments.front();
  if (!hasDisplay()) {
    Logger::instance().line(2) << "Open-file dialog unavailable: no display (DISPLAY and WAYLAND_DISPLAY are unset)"
                               << std::endl;
    return false;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    Logger::instance().line(2) << "Open-file dialog unavailable: " << std::strerror(errno) << std::endl;
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  // GTK's warnings would land in the terminal the test-bed runs in.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<std::string> arguments = programAndArguments;
  std::vector<std::string> environment = childEnvironment();
  std::vector<char*> argv = pointersTo(arguments);
  std::vector<char*> envp = pointersTo(environment);
  pid_t child = -1;
  const int error = posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (error != 0) {
    close(fds[0]);
    Logger::instance().line(2) << "Open-file dialog unavailable: " << program
                               << (error == ENOENT ? " not found" : std::string(" failed: ") + std::strerror(error))
                               << std::endl;
    return false;
  }
  childId = child;
  outputFd = fds[0];
  fcntl(outputFd, F_SETFL, fcntl(outputFd, F_GETFL) | O_NONBLOCK);
  output.clear();
  return true;
}

FileDialog::State FileDialog::poll(std::string& path) {
  if (childId <= 0) return State::Idle;
  readOutput();
  int status = 0;
  const pid_t ended = waitpid(childId, &status, WNOHANG);
  if (ended == 0) return State::Open;
  childId = -1;
  readOutput();
  closeOutput();
  if (ended < 0) {
    Logger::instance().line(2) << "Open-file dialog lost: " << std::strerror(errno) << std::endl;
    return State::Failed;
  }
  const std::string& program = programAndArguments.front();
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    if (output.empty()) return State::Cancelled;
    path = output;
    return State::Chosen;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 1) return State::Cancelled;
  Logger::instance().line(2) << "Open-file dialog failed: " << program << " ended with "
                             << (WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status))
                                                   : "signal " + std::to_string(WTERMSIG(status)))
                             << std::endl;
  return State::Failed;
}

void FileDialog::readOutput() {
  if (outputFd < 0) return;
  char buffer[4096];
  for (;;) {
    const ssize_t count = read(outputFd, buffer, sizeof buffer);
    if (count > 0) {
      if (output.size() < kMaxOutput) output.append(buffer, static_cast<std::size_t>(count));
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    break;  // no more for now (EAGAIN) or the end (0)
  }
}

void FileDialog::closeOutput() {
  if (outputFd >= 0) close(outputFd);
  outputFd = -1;
}
