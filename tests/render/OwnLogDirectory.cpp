#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace {

// Every test process works in a directory of its own, so the "GameEngine.log" that the log tests
// read is not truncated by another test process that CTest runs at the same time.
struct OwnLogDirectory {
  OwnLogDirectory() {
    char pattern[] = "/tmp/test_render_XXXXXX";
    if (char* made = mkdtemp(pattern)) {
      path = made;
      std::error_code error;
      std::filesystem::current_path(path, error);
    }
  }
  ~OwnLogDirectory() {
    if (path.empty()) return;
    std::error_code error;
    std::filesystem::current_path("/", error);
    std::filesystem::remove_all(path, error);
  }
  std::string path;
};

OwnLogDirectory ownLogDirectory;

}  // namespace
