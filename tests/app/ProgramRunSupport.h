#pragma once
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
// environment assignments in front; without a display unless environment sets one.
inline Result run(const std::filesystem::path& dir, const std::string& arguments,
                  const std::string& environment = "DISPLAY= WAYLAND_DISPLAY=") {
  const std::string command = "cd '" + dir.string() + "' && env " + environment + " '" +
                              programPath().string() + "' " + arguments + " > stdout.txt 2> stderr.txt";
  const int raw = std::system(command.c_str());
  Result result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = readFile(dir / "stdout.txt");
  result.err = readFile(dir / "stderr.txt");
  return result;
}

}  // namespace program_run
