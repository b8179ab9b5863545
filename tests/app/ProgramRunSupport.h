#pragma once
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Runs the built program as a separate process, the way a user does.
namespace program_run {

inline std::filesystem::path programPath() {
  return std::filesystem::path(TESTBED_BINARY_DIR) / "testbed";
}

// A fresh, empty working directory below the test's binary directory.
inline std::filesystem::path freshDirectory(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::current_path() / "runs" / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in dir with the arguments (already quoted for the shell) and the extra
// environment assignments in front; without a display unless environment sets one. shellPrefix
// runs in the same shell first (limits such as "ulimit -f 16;").
inline Result run(const std::filesystem::path& dir, const std::string& arguments,
                  const std::string& environment = "DISPLAY= WAYLAND_DISPLAY=",
                  const std::string& shellPrefix = "") {
  const std::string command = "cd '" + dir.string() + "' && " + shellPrefix + " env " + environment +
                              " '" + programPath().string() + "' " + arguments +
                              " > stdout.txt 2> stderr.txt";
  const int raw = std::system(command.c_str());
  Result result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readFile(dir / "stdout.txt");
  result.err = readFile(dir / "stderr.txt");
  return result;
}

// The program started in the background in dir (output in stdout.txt and stderr.txt there), with
// DISPLAY set to display (empty: none). Returns its process id.
inline pid_t start(const std::filesystem::path& dir, const std::vector<std::string>& arguments,
                   const std::string& display = "") {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    if (!freopen("stdout.txt", "w", stdout) || !freopen("stderr.txt", "w", stderr)) _exit(127);
    unsetenv("WAYLAND_DISPLAY");
    if (display.empty()) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", display.c_str(), 1);
    }
    const std::string program = programPath().string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// Waits for the process to end: its exit status, 1000 + N when signal N killed it, -1 when it was
// still running after timeoutMs (it is then killed).
inline int finish(pid_t pid, int timeoutMs = 60000) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// True once the file holds text, false after timeoutMs.
inline bool waitForText(const std::filesystem::path& file, const std::string& text, int timeoutMs = 60000) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (readFile(file).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The names in dir, sorted.
inline std::vector<std::string> fileNames(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace program_run
