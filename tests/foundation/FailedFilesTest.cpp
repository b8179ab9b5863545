#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "foundation/FailedFiles.h"

namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Each change a user makes to a broken file between two tries must make the next try read it.
TEST(FailedFiles, AFileIsUnchangedUntilItIsWrittenReplacedCreatedRemovedOrItsModeChanges) {
  const fs::path dir = fs::temp_directory_path() / ("failed-files-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "model.x").string();
  struct Case {
    const char* what;
    std::function<void()> before;  // the state the failure is recorded in
    std::function<void()> change;  // null: nothing changes
  };
  const Case cases[] = {
      {"untouched", [&] { write(path, "broken"); }, nullptr},
      {"still missing", [&] { fs::remove(path); }, nullptr},
      // The change time moves by the file system's clock tick; a user's edit comes later than that.
      {"rewritten later, same size", [&] { write(path, "broken"); },
       [&] {
         std::this_thread::sleep_for(std::chrono::milliseconds(50));
         write(path, "fixed!");
       }},
      {"grown", [&] { write(path, "broken"); }, [&] { write(path, "broken and more"); }},
      {"replaced by another file",
       [&] { write(path, "broken"); },
       [&] {
         write(path + ".new", "broken");
         fs::rename(path + ".new", path);
       }},
      {"created", [&] { fs::remove(path); }, [&] { write(path, "now here"); }},
      {"removed", [&] { write(path, "broken"); }, [&] { fs::remove(path); }},
      {"made readable", [&] { write(path, "broken"); ::chmod(path.c_str(), 0); },
       [&] { ::chmod(path.c_str(), 0644); }},
  };
  for (const Case& c : cases) {
    c.before();
    FailedFiles failed;
    EXPECT_FALSE(failed.unchanged(path)) << c.what;  // not failed yet
    EXPECT_TRUE(failed.record(path)) << c.what;
    EXPECT_FALSE(failed.record(path)) << c.what;  // the same failure again is no news
    if (c.change) c.change();
    EXPECT_EQ(failed.unchanged(path), !c.change) << c.what;
    failed.remove(path);
    EXPECT_FALSE(failed.unchanged(path)) << c.what;
  }
  fs::remove_all(dir);
}

}  // namespace
